# Read by cpack before it makes a package. A Debian package needs the layout
# of the `package` preset: programs in /usr/games, and sudoku-batch built to
# look for its messages under /usr, where the package puts them. Any other
# build would give a package whose section contradicts its files and whose
# French messages are never found.
if(CPACK_GENERATOR STREQUAL "DEB")
  if(NOT CPACK_SUDOKU_PROGRAM_DESTINATION STREQUAL "games"
     OR NOT CPACK_SUDOKU_INSTALL_PREFIX STREQUAL CPACK_PACKAGING_INSTALL_PREFIX)
    message(FATAL_ERROR
      "This build installs the programs in ${CPACK_SUDOKU_INSTALL_PREFIX}/"
      "${CPACK_SUDOKU_PROGRAM_DESTINATION}; make the Debian package with the package preset: "
      "cmake --workflow --preset package")
  endif()
endif()
