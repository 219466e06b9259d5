#pragma once

namespace kobanto::jpeg {

// The message code "JPEG エラー #%d" shows for a library code. Users and their notes know the
// numbers of IJG libjpeg release 6a, so a condition that release knows shows its 6a number, found
// by the library's symbolic name. A code 6a does not have shows 200 + the library's own number, so
// that it can never pass for a 6a code.
int ShownMessageCode(int libraryCode);

}  // namespace kobanto::jpeg
