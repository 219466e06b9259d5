# Warning and sanitizer flags shared by every Kobanto target.
function(kobanto_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KOBANTO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(KOBANTO_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
