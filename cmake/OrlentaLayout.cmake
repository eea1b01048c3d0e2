# SPDX-License-Identifier: GPL-3.0-or-later
# Where the programs and the install folder (help pages and the confyg link) lie, installed
# and in the build tree. Both trees share one shape, so a program finds the install folder
# from its own folder the same way whether it was installed or not.
include(GNUInstallDirs)

# The install folder, relative to the prefix unless the packager made it absolute.
set(ORLENTA_INSTALL_FOLDER "${CMAKE_INSTALL_DATADIR}/orlenta")

# The install folder seen from the programs' folder, and the programs' folder seen from the
# install folder (for the relative confyg link), e.g. "../share/orlenta" and "../../bin".
cmake_path(RELATIVE_PATH CMAKE_INSTALL_FULL_DATADIR BASE_DIRECTORY "${CMAKE_INSTALL_FULL_BINDIR}"
           OUTPUT_VARIABLE _orlenta_data_from_bin)
set(ORLENTA_INSTALL_FOLDER_FROM_BIN "${_orlenta_data_from_bin}/orlenta")
cmake_path(NORMAL_PATH ORLENTA_INSTALL_FOLDER_FROM_BIN)
cmake_path(RELATIVE_PATH CMAKE_INSTALL_FULL_BINDIR
           BASE_DIRECTORY "${CMAKE_INSTALL_FULL_DATADIR}/orlenta"
           OUTPUT_VARIABLE ORLENTA_BIN_FROM_INSTALL_FOLDER)
string(REGEX REPLACE "/$" "" ORLENTA_BIN_FROM_INSTALL_FOLDER "${ORLENTA_BIN_FROM_INSTALL_FOLDER}")
string(REGEX REPLACE "/$" "" ORLENTA_INSTALL_FOLDER_FROM_BIN "${ORLENTA_INSTALL_FOLDER_FROM_BIN}")

# The same two folders in the build tree, so that the programs run uninstalled.
set(ORLENTA_BUILD_BIN_DIR "${PROJECT_BINARY_DIR}/bin")
cmake_path(APPEND ORLENTA_BUILD_BIN_DIR "${ORLENTA_INSTALL_FOLDER_FROM_BIN}"
           OUTPUT_VARIABLE ORLENTA_BUILD_INSTALL_FOLDER)
cmake_path(NORMAL_PATH ORLENTA_BUILD_INSTALL_FOLDER)
string(REGEX REPLACE "/$" "" ORLENTA_BUILD_INSTALL_FOLDER "${ORLENTA_BUILD_INSTALL_FOLDER}")
