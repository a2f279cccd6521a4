# Run at install time, last: turns the installed tree into the Debian
# package's, when CPack makes the .deb (it sets QUORVANE_DEBIAN_PACKAGE through
# CPACK_CUSTOM_INSTALL_VARIABLES). A plain `cmake --install` keeps the tree as
# installed, movable as a whole.
#
# Set by packaging/CMakeLists.txt before this script runs:
#   QUORVANE_PACKAGING_DIR       packaging/ of the sources
#   QUORVANE_DEBIAN_PREFIX       the package's prefix (/usr)
#   QUORVANE_PROGRAMDIR          the program's folder under the prefix
#   QUORVANE_DATADIR, QUORVANE_MANDIR
#   QUORVANE_STRIP               the strip program
#
# In the package:
#   - the hand cursor is data and lies in share/quorvane/; the program, which
#     looks for it in its own folder, finds it through a link there;
#   - the skin folder x beside the program is a link to /etc/quorvane/skin/,
#     shipped empty, so a skin is configuration and survives upgrades;
#   - the manual pages are compressed, and share/doc/quorvane holds the
#     copyright file and the Debian changelog;
#   - share/lintian/overrides/quorvane says why the plugin has a search path.
if(NOT QUORVANE_DEBIAN_PACKAGE)
    return()
endif()

# CPack installs either with DESTDIR and the package's prefix, or with the
# staging folder put before the prefix.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
    set(root "$ENV{DESTDIR}")
    set(usr "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
else()
    set(usr "${CMAKE_INSTALL_PREFIX}")
    string(LENGTH "${usr}" usr_length)
    string(LENGTH "${QUORVANE_DEBIAN_PREFIX}" prefix_length)
    math(EXPR root_length "${usr_length} - ${prefix_length}")
    string(SUBSTRING "${usr}" ${root_length} -1 tail)
    if(root_length LESS 0 OR NOT tail STREQUAL QUORVANE_DEBIAN_PREFIX)
        message(FATAL_ERROR "The package is installed under ${usr}, "
                            "which does not end in ${QUORVANE_DEBIAN_PREFIX}")
    endif()
    string(SUBSTRING "${usr}" 0 ${root_length} root)
endif()

set(programdir "${usr}/${QUORVANE_PROGRAMDIR}")
set(sharedir "${usr}/${QUORVANE_DATADIR}/quorvane")
set(docdir "${usr}/${QUORVANE_DATADIR}/doc/quorvane")
set(readable OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# gzip -9n: the best compression, without the file's name and time, so the
# same input gives the same package.
function(compress source target)
    execute_process(COMMAND gzip -9nc "${source}" OUTPUT_FILE "${target}"
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip could not compress ${source}")
    endif()
    file(CHMOD "${target}" PERMISSIONS ${readable})
endfunction()

# The programs and plugins lose the compiler's notes as well, as dh_strip
# strips them (CPack has stripped their symbols already).
file(GLOB binaries "${programdir}/*")
foreach(binary IN LISTS binaries)
    if(IS_SYMLINK "${binary}" OR IS_DIRECTORY "${binary}")
        continue()
    endif()
    file(READ "${binary}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
        execute_process(COMMAND "${QUORVANE_STRIP}" --remove-section=.comment
                                --remove-section=.note "${binary}"
                        RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "${QUORVANE_STRIP} could not strip ${binary}")
        endif()
    endif()
endforeach()

# The hand cursor.
file(MAKE_DIRECTORY "${sharedir}")
file(RENAME "${programdir}/HAND-M.CUR" "${sharedir}/HAND-M.CUR")
file(RELATIVE_PATH cursor_from_program "/${QUORVANE_PROGRAMDIR}"
     "/${QUORVANE_DATADIR}/quorvane/HAND-M.CUR")
file(CREATE_LINK "${cursor_from_program}" "${programdir}/HAND-M.CUR" SYMBOLIC)

# The skin folder: a link across the top-level folders is absolute.
file(MAKE_DIRECTORY "${root}/etc/quorvane/skin")
file(CREATE_LINK /etc/quorvane/skin "${programdir}/x" SYMBOLIC)

# The manual pages.
file(GLOB pages "${usr}/${QUORVANE_MANDIR}/man*/*.[1-9]")
foreach(page IN LISTS pages)
    compress("${page}" "${page}.gz")
    file(REMOVE "${page}")
endforeach()

# The copyright file and the changelog.
file(MAKE_DIRECTORY "${docdir}")
file(COPY_FILE "${QUORVANE_PACKAGING_DIR}/copyright" "${docdir}/copyright")
file(CHMOD "${docdir}/copyright" PERMISSIONS ${readable})
compress("${QUORVANE_PACKAGING_DIR}/changelog.Debian" "${docdir}/changelog.Debian.gz")

# The lintian overrides, with the plugin's when it is built (it needs
# LibreOffice's SDK).
set(overrides "${usr}/${QUORVANE_DATADIR}/lintian/overrides")
file(MAKE_DIRECTORY "${overrides}")
file(READ "${QUORVANE_PACKAGING_DIR}/lintian-overrides" text)
if(EXISTS "${programdir}/quorvane_calc.so")
    file(READ "${QUORVANE_PACKAGING_DIR}/lintian-overrides-calc" calc)
    string(APPEND text "${calc}")
endif()
file(WRITE "${overrides}/quorvane" "${text}")
file(CHMOD "${overrides}/quorvane" PERMISSIONS ${readable})
