# The hardening that Debian's own packages get from dpkg-buildflags, for the
# release build (build/, make install, make package) and every target in it,
# tests and benchmarks included, so that what is tested and measured is what
# is shipped: libc calls checked against their buffers' sizes
# (_FORTIFY_SOURCE=2), stack protector, stack clash protection, control-flow
# protection, position-independent executables, read-only relocations and
# immediate binding. Each flag only where the compiler or linker takes it.
#
# Not in the sanitizer build nor in the fuzzers' (MASUME_SANITIZE,
# MASUME_FUZZ): _FORTIFY_SOURCE replaces the libc calls that ASan and
# libFuzzer intercept by checked ones they do not see, and the other checks
# only repeat, less precisely, what the sanitizers check there. Include this
# file before any target is made (POSITION_INDEPENDENT_CODE is taken when a
# target is created).
option(MASUME_HARDENING "build with the hardening flags of Debian's packages" ON)
if(NOT MASUME_HARDENING OR MASUME_SANITIZE OR MASUME_FUZZ)
    return()
endif()

include(CheckCompilerFlag)
include(CheckLinkerFlag)
include(CheckPIESupported)

# C and C++ share the compiler (GCC or Clang), so the C++ compiler answers
# for both.
foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "MASUME_CXX_HAS${flag}" supported)
    check_compiler_flag(CXX ${flag} ${supported})
    if(${supported})
        add_compile_options(${flag})
    endif()
endforeach()

# glibc checks only what the optimiser can see: without optimisation (a
# Debug build) it warns and does nothing.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)

check_pie_supported(LANGUAGES CXX)
if(CMAKE_CXX_LINK_PIE_SUPPORTED)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()

check_linker_flag(CXX "LINKER:-z,relro,-z,now" MASUME_LINKER_HAS_RELRO_NOW)
if(MASUME_LINKER_HAS_RELRO_NOW)
    add_link_options("LINKER:-z,relro,-z,now")
endif()
