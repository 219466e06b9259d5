#include "tests/names/FakeWindowsTree.h"

namespace kobanto::test {
namespace {

bool IsLead(char c) {
  auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::size_t Step(std::string_view s, std::size_t i) {
  return IsLead(s[i]) && i + 1 < s.size() ? 2 : 1;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Single-byte letters folded to upper case, double-byte characters kept byte for byte.
std::string Fold(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); i += Step(out, i)) {
    if (Step(out, i) == 1) out[i] = Upper(out[i]);
  }
  return out;
}

// Splits at single-byte backslashes.
std::vector<std::string> SplitComponents(std::string_view s) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < s.size(); i += Step(s, i)) {
    if (Step(s, i) == 1 && s[i] == '\\') {
      parts.emplace_back();
    } else {
      parts.back().append(s.substr(i, Step(s, i)));
    }
  }
  return parts;
}

struct Parsed {
  std::string root;
  std::vector<std::string> components;
};

std::optional<Parsed> Parse(const std::string& path) {
  Parsed parsed;
  std::string_view rest = path;
  bool relative = false;
  if (path.size() >= 2 && !IsLead(path[0]) && path[1] == ':') {
    parsed.root = Fold(path.substr(0, 2));
    rest.remove_prefix(2);
    relative = !rest.starts_with('\\');
  } else if (path.starts_with("\\\\")) {
    std::vector<std::string> parts = SplitComponents(rest.substr(2));
    if (parts.size() < 3) return std::nullopt;  // a bare share is no entry
    parsed.root = "\\\\" + Fold(parts[0]) + "\\" + Fold(parts[1]);
    rest.remove_prefix(2 + parts[0].size() + 1 + parts[1].size());
  } else {
    parsed.root = "C:";
    relative = !rest.starts_with('\\');
  }
  if (relative) parsed.components.push_back("Work");
  if (rest.starts_with('\\')) {
    rest.remove_prefix(1);
    if (rest.empty()) return std::nullopt;  // a bare root is no entry
  }
  if (!rest.empty()) {
    std::vector<std::string> parts = SplitComponents(rest);
    for (std::size_t i = 0; i < parts.size(); ++i) {
      // Empty components in the middle are ignored; an empty last one fails the search.
      if (!parts[i].empty() || i + 1 == parts.size()) parsed.components.push_back(parts[i]);
    }
  }
  if (parsed.components.empty() || parsed.components.back().empty()) return std::nullopt;
  return parsed;
}

}  // namespace

FakeWindowsTree::FakeWindowsTree() { Add("C:", {"Work"}, true); }

FakeWindowsTree::Entry* FakeWindowsTree::RootEntry(std::string_view root) {
  auto& entry = roots_[Fold(root)];
  if (!entry) entry = std::make_unique<Entry>();
  return entry.get();
}

void FakeWindowsTree::Add(std::string_view root, const std::vector<std::string>& components,
                          bool asFolder) {
  Entry* folder = RootEntry(root);
  for (std::size_t i = 0; i < components.size(); ++i) {
    std::string_view component = components[i];
    std::size_t bar = component.find('|');
    std::string longName(component.substr(0, bar));
    Entry* existing = Child(*folder, longName);
    if (!existing) {
      auto entry = std::make_unique<Entry>();
      entry->longName = longName;
      if (bar != std::string_view::npos) entry->shortName = component.substr(bar + 1);
      entry->folder = asFolder || i + 1 < components.size();
      existing = entry.get();
      folder->children.push_back(std::move(entry));
    }
    folder = existing;
  }
}

void FakeWindowsTree::FailSearchFor(std::string_view root,
                                    const std::vector<std::string>& longNames) {
  Entry* entry = RootEntry(root);
  for (const std::string& name : longNames) entry = Child(*entry, name);
  entry->searchFails = true;
}

FakeWindowsTree::Entry* FakeWindowsTree::Child(const Entry& folder, std::string_view name) {
  std::string folded = Fold(name);
  for (const auto& child : folder.children) {
    if (Fold(child->longName) == folded) return child.get();
    if (!child->shortName.empty() && Fold(child->shortName) == folded) return child.get();
  }
  return nullptr;
}

const FakeWindowsTree::Entry* FakeWindowsTree::Resolve(const std::string& path) const {
  std::optional<Parsed> parsed = Parse(path);
  if (!parsed) return nullptr;
  auto root = roots_.find(parsed->root);
  if (root == roots_.end()) return nullptr;
  const Entry* entry = root->second.get();
  for (const std::string& name : parsed->components) {
    if (!entry->folder || !(entry = Child(*entry, name))) return nullptr;
  }
  return entry;
}

bool FakeWindowsTree::NamesExistingFile(const std::string& path) const {
  const Entry* entry = Resolve(path);
  return entry && !entry->folder;
}

std::optional<std::string> FakeWindowsTree::Find(const std::string& path) const {
  const Entry* entry = Resolve(path);
  if (!entry || entry->searchFails) return std::nullopt;
  return entry->longName;
}

}  // namespace kobanto::test
