# Run by cpack before it builds the package.
if(CPACK_GENERATOR STREQUAL "DEB")
    find_program(MASUME_SHLIBDEPS dpkg-shlibdeps)
    find_program(MASUME_FILE file)
    if(NOT MASUME_SHLIBDEPS OR NOT MASUME_FILE)
        message(FATAL_ERROR "The package's library dependencies are found by dpkg-shlibdeps "
            "and file (Debian packages dpkg-dev and file); run `make package`, which "
            "installs them.")
    endif()
endif()
