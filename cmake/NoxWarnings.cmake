# Every target of ours gets the same strict warning set; CI turns them into errors.
function(nox_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual)
  if(NOX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
