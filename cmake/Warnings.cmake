# Project-wide warning set; every target of ours gets it through tavelo_warnings().
function(tavelo_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast -Wcast-align -Woverloaded-virtual
                                             -Wconversion -Wno-sign-conversion)
    if(TAVELO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
