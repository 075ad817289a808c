# Project-wide warning set; every target of ours gets it through tavelo_warnings(). Only the flags
# the compiler takes are used, so another compiler does not fail on one it lacks.
include(CheckCXXCompilerFlag)
set(TAVELO_WARNING_FLAGS)
foreach(flag -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
             -Woverloaded-virtual -Wconversion -Wno-sign-conversion)
    string(MAKE_C_IDENTIFIER "TAVELO_HAS${flag}" known)
    check_cxx_compiler_flag(${flag} ${known})
    if(${known})
        list(APPEND TAVELO_WARNING_FLAGS ${flag})
    endif()
endforeach()

function(tavelo_warnings target)
    target_compile_options(${target} PRIVATE ${TAVELO_WARNING_FLAGS})
    if(TAVELO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
