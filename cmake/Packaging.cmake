# Installing like a desktop program: the binary in bin/, a menu entry in share/applications and
# the icon in the hicolor theme, where desktops look for them; `cpack -G DEB` wraps the same
# files in a Debian package. scripts/package-check proves the package on a clean Debian.

include(GNUInstallDirs)

set(SONAVEL_PACKAGE_NAME korven-sonavel)   # the binary's, the menu entry's and the icon's name

install(TARGETS KorvenSonavel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The icon is drawn once as SVG and rendered at the sizes desktops ask for most, so that none
# of them has to scale a bitmap; the SVG itself serves every other size.
set(icon_svg ${PROJECT_SOURCE_DIR}/artwork/icon/korvenSonavelIcon.svg)
set(icon_dir ${PROJECT_BINARY_DIR}/icons)
set(icon_pngs)
foreach(size 16 24 32 48 64 128 256)
    set(png ${icon_dir}/${size}/${SONAVEL_PACKAGE_NAME}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}/${size}
        COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${icon_svg}
        DEPENDS ${icon_svg}
        COMMENT "Rendering the ${size} px icon"
        VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(sonavel_icons ALL DEPENDS ${icon_pngs})
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${SONAVEL_PACKAGE_NAME}.svg)

# JUCE names its windows' X class after the application, so docks match them to this entry.
# JUCE sends no start-up notification: with StartupNotify the pointer would spin for a while.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/${SONAVEL_PACKAGE_NAME}.desktop @ONLY CONTENT
"[Desktop Entry]
Type=Application
Version=1.4
Name=KORVEN Sonavel
GenericName=Room Tuning Assistant
Comment=Place a pair of studio monitors in your room, measure the room and tune their rear-panel EQ
Exec=${SONAVEL_PACKAGE_NAME}
Icon=${SONAVEL_PACKAGE_NAME}
Terminal=false
Categories=AudioVideo;Audio;
Keywords=speakers;monitors;room;measurement;acoustics;EQ;
StartupNotify=false
StartupWMClass=KORVEN Sonavel
")
install(FILES ${PROJECT_BINARY_DIR}/${SONAVEL_PACKAGE_NAME}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# What a Debian package must carry beside the program: who holds the copyright under which
# licence (JUCE's modules and PortAudio are compiled into the binary), and a changelog, gzipped as Debian wants.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${SONAVEL_PACKAGE_NAME})
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: KORVEN Sonavel
Upstream-Contact: KORVEN Sonavel developers <sonavel@korven.example>

Files: *
Copyright: 2026 KORVEN
License: GPL-3

Files: juce_core/* juce_events/*
Comment: JUCE modules compiled into the program
Copyright: 2015-2023 Raw Material Software Ltd
License: ISC

Files: juce_data_structures/* juce_graphics/* juce_gui_basics/* juce_gui_extra/*
Comment: JUCE modules compiled into the program
Copyright: 2015-2022 Raw Material Software Ltd
License: GPL-3

Files: portaudio/*
Comment: PortAudio, linked statically into the program
Copyright: 1999-2006 Ross Bencina and Phil Burk
License: Expat

License: GPL-3
 This program is free software: you can redistribute it and/or modify it
 under the terms of the GNU General Public License as published by the Free
 Software Foundation, version 3.
 .
 This program is distributed in the hope that it will be useful, but WITHOUT
 ANY WARRANTY; without even the implied warranty of MERCHANTABILITY or FITNESS
 FOR A PARTICULAR PURPOSE. See the GNU General Public License for more details.
 .
 On Debian systems, the complete text of the GNU General Public License
 version 3 can be found in /usr/share/common-licenses/GPL-3.

License: ISC
 Permission to use, copy, modify, and/or distribute this software for any
 purpose with or without fee is hereby granted, provided that the above
 copyright notice and this permission notice appear in all copies.
 .
 THE SOFTWARE IS PROVIDED \"AS IS\" AND THE AUTHOR DISCLAIMS ALL WARRANTIES WITH
 REGARD TO THIS SOFTWARE INCLUDING ALL IMPLIED WARRANTIES OF MERCHANTABILITY
 AND FITNESS. IN NO EVENT SHALL THE AUTHOR BE LIABLE FOR ANY SPECIAL, DIRECT,
 INDIRECT, OR CONSEQUENTIAL DAMAGES OR ANY DAMAGES WHATSOEVER RESULTING FROM
 LOSS OF USE, DATA OR PROFITS, WHETHER IN AN ACTION OF CONTRACT, NEGLIGENCE OR
 OTHER TORTIOUS ACTION, ARISING OUT OF OR IN CONNECTION WITH THE USE OR
 PERFORMANCE OF THIS SOFTWARE.

License: Expat
 Permission is hereby granted, free of charge, to any person obtaining
 a copy of this software and associated documentation files
 (the \"Software\"), to deal in the Software without restriction,
 including without limitation the rights to use, copy, modify, merge,
 publish, distribute, sublicense, and/or sell copies of the Software,
 and to permit persons to whom the Software is furnished to do so,
 subject to the following conditions:
 .
 The above copyright notice and this permission notice shall be
 included in all copies or substantial portions of the Software.
 .
 THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND,
 EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF
 MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT.
 IN NO EVENT SHALL THE AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR
 ANY CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF
 CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN CONNECTION
 WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE SOFTWARE.
")
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${doc_dir})

file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/changelog @ONLY CONTENT
"${SONAVEL_PACKAGE_NAME} (@PROJECT_VERSION@) stable; urgency=medium

  * Curves are saved as text that room analysers open, with a picture of the
    graph; a saved curve opens as the held curve; both are kept between runs.
  * korven-sonavel --measure measures from the command line.

 -- KORVEN Sonavel developers <sonavel@korven.example>  Tue, 08 Dec 2026 12:00:00 +0000
")
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND ${GZIP} -9nc ${PROJECT_BINARY_DIR}/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
    DEPENDS ${PROJECT_BINARY_DIR}/changelog
    VERBATIM)
add_custom_target(sonavel_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${doc_dir})

# The Debian package. dpkg-shlibdeps finds the libraries the binary links; JUCE opens the X
# libraries itself at run time and reads fonts.conf to find fonts, so those are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${SONAVEL_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR KORVEN)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "room-tuning assistant for a pair of studio monitors")
# Lines of the extended description stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "KORVEN Sonavel leads you through placing a pair of studio monitors in your
room, plays test noise to set the level, measures the room's low-frequency
response through a measurement microphone and shows which rear-panel EQ
setting evens it out. Curves are saved as text that room analysers open.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KORVEN Sonavel developers <sonavel@korven.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libx11-6, libxext6, libxcursor1, libxinerama1, libxrandr2, libxrender1, fontconfig-config, fonts-dejavu-core")
# PortAudio reaches the desktop's sound server (PulseAudio, PipeWire), and the devices chosen in
# the program, through ALSA's plugins.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2-plugins")
include(CPack)
