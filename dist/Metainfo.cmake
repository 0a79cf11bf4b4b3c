# The AppStream metadata from masume.metainfo.xml.in: the homepage and the
# screenshots only where the project is published (MASUME_HOMEPAGE,
# MASUME_SCREENSHOTS), so that it never names an address that is not there.
#
# Included by dist/CMakeLists.txt, which calls masume_write_metainfo at
# configure time; run as a script it writes one file, for the tests:
#   cmake -DMASUME_APP_ID=ID [-DMASUME_HOMEPAGE=URL] [-DMASUME_SCREENSHOTS=URL]
#         -DOUTPUT=FILE -P Metainfo.cmake

# Writes `output` from the template beside this file, with MASUME_APP_ID,
# MASUME_HOMEPAGE and MASUME_SCREENSHOTS as the caller has them; a
# screenshot is MASUME_SCREENSHOTS (with or without a final "/") followed by
# "/" and its file name in docs/.
function(masume_write_metainfo output)
    set(dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
    set(MASUME_METAINFO_PUBLISHED "")
    if(MASUME_HOMEPAGE)
        string(APPEND MASUME_METAINFO_PUBLISHED
            "  <url type=\"homepage\">${MASUME_HOMEPAGE}</url>\n")
    endif()
    string(REGEX REPLACE "/+$" "" MASUME_SCREENSHOTS_FOLDER "${MASUME_SCREENSHOTS}")
    if(MASUME_SCREENSHOTS_FOLDER)
        file(READ ${dir}/masume.screenshots.xml.in screenshots)
        string(CONFIGURE "${screenshots}" screenshots @ONLY)
        string(APPEND MASUME_METAINFO_PUBLISHED "${screenshots}")
    endif()
    configure_file(${dir}/masume.metainfo.xml.in ${output} @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    masume_write_metainfo(${OUTPUT})
endif()
