# Fails when a file of the core library includes a GUI header or a header of
# the desktop program. Run with -DSOURCE_DIR=<project root>.
set(layers core model storage tex prefs)
set(offenders "")
foreach(layer IN LISTS layers)
    file(GLOB_RECURSE files ${SOURCE_DIR}/src/${layer}/*.h ${SOURCE_DIR}/src/${layer}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
        foreach(line IN LISTS lines)
            if(line MATCHES "[<\"](QtGui|QtWidgets|QtPrintSupport|QtSvg)(/|>)"
               OR line MATCHES "[<\"]Q(Widget|Application|GuiApplication|MainWindow|Dialog|MessageBox|Pixmap|Image|Icon|Color|Font|Clipboard|Painter|Action|Menu|FileDialog|Palette|TextDocument|DesktopServices)[>\"]"
               OR line MATCHES "[<\"](app|editor|settings|cli)/")
                list(APPEND offenders "${file}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()
if(offenders)
    list(JOIN offenders "\n" message)
    message(FATAL_ERROR "Core files include GUI or program headers:\n${message}")
endif()
message(STATUS "core includes are clean")
