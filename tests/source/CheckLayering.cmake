# SPDX-License-Identifier: GPL-3.0-or-later
#
# Checks that every source file under SOURCE_DIR includes only headers of its own layer and the
# layers below it, and only the Qt modules and outside libraries its layer links. POSIX headers
# count as a library of their own; an angle-bracket header that is neither standard C or C++, nor
# Qt, nor a library named here is an offence until it is named:
#
#   cmake -DSOURCE_DIR=<src> -DQT_HEADERS=<Qt include root> -P CheckLayering.cmake
#
# Prints one line per offending include ("<file>: <include> …") and fails when there is any.
# A layer is a folder of SOURCE_DIR (kit, platform, …) or of SOURCE_DIR/ui (ui/card, …).

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT QT_HEADERS)
    message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<src> -DQT_HEADERS=<Qt include root> -P CheckLayering.cmake")
endif()

# The layers from the bottom up. A layer may include its own headers and those of the layers
# named after it.
set(_layers kit platform data render services model ui/common ui/card ui/editor ui/connections ui/welcome ui/app
    layercard)
set(_below_kit "")
set(_below_platform kit)
set(_below_data kit platform)
set(_below_render kit platform)
set(_below_services kit platform data)
set(_below_model kit platform data render services)
set(_below_ui/common ${_below_model} model)
set(_below_ui/card ${_below_ui/common} ui/common)
set(_below_ui/editor ${_below_ui/common} ui/common)
set(_below_ui/connections ${_below_ui/common} ui/common)
set(_below_ui/welcome ${_below_ui/common} ui/common)
set(_below_ui/app ${_below_ui/common} ui/common ui/card ui/editor ui/connections ui/welcome)
# The layer-shell card's helper is a program of its own: GTK, no Qt, nothing of the others.
set(_below_layercard "")

# The model headers the windows may include. FrameModel is the one way into the model; its parts
# (the page document, display options, pictures, refresh, calendar) are its own business. Beside
# it stand the few model objects the application and the welcome make for themselves.
set(_model_for_windows FrameModel.h FirstStart.h PlanAlertFeed.h StartFindings.h StartPages.h)
# The part accessors FrameModel keeps for its own code and the parts' tests.
set(_part_accessors display document pictures refresher)

# The Qt modules each layer's code may use. The widgets come with the web view, but the renderer
# names only the web engine's own headers; the single-instance socket is the application's.
set(_qt_kit QtCore)
set(_qt_platform QtCore QtNetwork QtDBus)
set(_qt_data QtCore QtNetwork QtSql)
set(_qt_render QtCore QtConcurrent QtGui QtWebEngineCore QtWebEngineWidgets)
set(_qt_services QtCore QtNetwork)
set(_qt_model QtCore QtConcurrent QtGui)
set(_qt_ui QtCore QtGui QtWidgets QtSvg)
set(_qt_ui/common ${_qt_ui})
set(_qt_ui/card ${_qt_ui})
set(_qt_ui/editor ${_qt_ui})
set(_qt_ui/connections ${_qt_ui})
set(_qt_ui/welcome ${_qt_ui})
set(_qt_ui/app ${_qt_ui} QtNetwork)
set(_qt_layercard "")

# Libraries from outside Qt, by the way their headers are named, and the layers that link them.
# QCoro's headers belong to the Qt module they wait on, which the layer must also be allowed.
# "posix" is the C library's interface beyond standard C and C++ (<unistd.h>, <fcntl.h>,
# <sys/…>, <pwd.h>, glibc's <malloc.h>): platform writes and reads files with it (AtomicFile,
# SmallFileReader) and starts child processes with limits, as data does; render hands the
# renderer process its pipe and gives memory back, services looks at files' status, ui/app starts
# the renderer process. The model and the windows reach the system only through those layers.
set(_outside_kit "")
set(_outside_platform qcoro keychain libical libecal posix)
set(_outside_data qcoro sqlite posix)
set(_outside_render qcoro libdeflate posix)
set(_outside_services qcoro posix)
set(_outside_model qcoro)
set(_outside_ui qcoro)
set(_outside_ui/common ${_outside_ui})
set(_outside_ui/card ${_outside_ui} xcb)
set(_outside_ui/editor ${_outside_ui})
set(_outside_ui/connections ${_outside_ui})
set(_outside_ui/welcome ${_outside_ui})
set(_outside_ui/app ${_outside_ui} posix)
set(_outside_layercard gtk posix)

# The headers of standard C, which every layer may use as the C++ library does (<cstdio> and
# <stdio.h> alike). Any other header with a file extension or a folder must belong to a library
# named above, so a newly included library is checked against the layer rather than let through.
set(_standard_c_headers assert.h complex.h ctype.h errno.h fenv.h float.h inttypes.h iso646.h limits.h
    locale.h math.h setjmp.h signal.h stdalign.h stdarg.h stdatomic.h stdbool.h stddef.h stdint.h stdio.h
    stdlib.h stdnoreturn.h string.h tgmath.h threads.h time.h uchar.h wchar.h wctype.h)
set(_posix_headers unistd.h fcntl.h pwd.h grp.h poll.h dirent.h spawn.h termios.h sched.h pthread.h dlfcn.h
    malloc.h netdb.h semaphore.h syslog.h)

# The layer of a path relative to SOURCE_DIR ("model/FrameModel.h" → model); empty for none.
function(layer_of relative out)
    set(_found "")
    foreach(_layer ${_layers})
        string(LENGTH "${_layer}/" _length)
        string(SUBSTRING "${relative}" 0 ${_length} _start)
        if(_start STREQUAL "${_layer}/")
            set(_found "${_layer}")
        endif()
    endforeach()
    set(${out} "${_found}" PARENT_SCOPE)
endfunction()

# The Qt module whose include folder holds `header`, or empty. Looked up once a header, the
# usual modules first.
set(_usual_modules QtCore QtConcurrent QtGui QtWidgets QtNetwork QtDBus QtSvg QtWebEngineCore QtWebEngineWidgets QtSql QtTest)
function(qt_module_of header out)
    get_property(_known GLOBAL PROPERTY "tessarine_qt_${header}" SET)
    if(_known)
        get_property(_module GLOBAL PROPERTY "tessarine_qt_${header}")
        set(${out} "${_module}" PARENT_SCOPE)
        return()
    endif()
    set(_module "")
    foreach(_candidate ${_usual_modules})
        if(EXISTS "${QT_HEADERS}/${_candidate}/${header}")
            set(_module "${_candidate}")
            break()
        endif()
    endforeach()
    if(NOT _module)
        file(GLOB _hits LIST_DIRECTORIES false "${QT_HEADERS}/Qt*/${header}")
        if(_hits)
            list(GET _hits 0 _hit)
            get_filename_component(_module_dir "${_hit}" DIRECTORY)
            get_filename_component(_module "${_module_dir}" NAME)
        endif()
    endif()
    set_property(GLOBAL PROPERTY "tessarine_qt_${header}" "${_module}")
    set(${out} "${_module}" PARENT_SCOPE)
endfunction()

# What an angle-bracket include is: "qt:<module>", "qcoro:<module>", "outside:<library>",
# "unknown-qt", "standard" or "unknown".
function(kind_of header out)
    if(header MATCHES "^(QCoro/)?QCoro([A-Za-z]*)$")
        set(_what "${CMAKE_MATCH_2}")
        if(_what MATCHES "Network|Socket|TcpServer")
            set(${out} "qcoro:QtNetwork" PARENT_SCOPE)
        elseif(_what MATCHES "DBus")
            set(${out} "qcoro:QtDBus" PARENT_SCOPE)
        else()
            set(${out} "qcoro:QtCore" PARENT_SCOPE)
        endif()
    elseif(header MATCHES "^(Qt[A-Za-z]+)/")
        set(${out} "qt:${CMAKE_MATCH_1}" PARENT_SCOPE)
    elseif(header MATCHES "^Q")
        qt_module_of("${header}" _module)
        if(_module)
            set(${out} "qt:${_module}" PARENT_SCOPE)
        else()
            set(${out} "unknown-qt" PARENT_SCOPE)
        endif()
    elseif(header MATCHES "^qt6keychain/")
        set(${out} "outside:keychain" PARENT_SCOPE)
    elseif(header MATCHES "^libical/|^ical\\.h$")
        set(${out} "outside:libical" PARENT_SCOPE)
    elseif(header MATCHES "^libecal/|^libedata-cal/|^libedataserver/")
        set(${out} "outside:libecal" PARENT_SCOPE)
    elseif(header STREQUAL "sqlite3.h")
        set(${out} "outside:sqlite" PARENT_SCOPE)
    elseif(header STREQUAL "libdeflate.h")
        set(${out} "outside:libdeflate" PARENT_SCOPE)
    elseif(header MATCHES "^xcb/")
        set(${out} "outside:xcb" PARENT_SCOPE)
    elseif(header MATCHES "^(gtk|gdk|gtk-layer-shell|cairo)/|^glib(-unix)?\\.h$")
        set(${out} "outside:gtk" PARENT_SCOPE)
    elseif(header IN_LIST _posix_headers OR header MATCHES "^(sys|arpa|netinet)/")
        set(${out} "outside:posix" PARENT_SCOPE)
    elseif(header MATCHES "^[a-z_]+$" OR header IN_LIST _standard_c_headers)
        set(${out} "standard" PARENT_SCOPE)
    else()
        set(${out} "unknown" PARENT_SCOPE)
    endif()
endfunction()

# The complaint about one include of a file in `layer`, or empty when the include is allowed.
function(check_include layer file_dir header quoted out)
    set(_complaint "")
    if(quoted)
        if(header MATCHES "/")
            layer_of("${header}" _target)
            if(NOT _target)
                set(_complaint "\"${header}\" is in no layer")
            elseif(NOT _target STREQUAL layer AND NOT _target IN_LIST _below_${layer})
                set(_complaint "\"${header}\" is in ${_target}, which is not below ${layer}")
            elseif(layer MATCHES "^ui/" AND _target STREQUAL "model")
                get_filename_component(_name "${header}" NAME)
                if(NOT _name IN_LIST _model_for_windows)
                    set(_complaint "\"${header}\" is a part of the model, windows go through model/FrameModel.h")
                endif()
            endif()
        elseif(NOT EXISTS "${file_dir}/${header}")
            set(_complaint "\"${header}\" is not beside it")
        endif()
    else()
        kind_of("${header}" _kind)
        if(_kind STREQUAL "unknown-qt")
            set(_complaint "<${header}> is in no Qt module found under ${QT_HEADERS}")
        elseif(_kind MATCHES "^qt:(.*)$")
            if(NOT CMAKE_MATCH_1 IN_LIST _qt_${layer})
                string(REPLACE ";" ", " _allowed "${_qt_${layer}}")
                set(_complaint "<${header}> is ${CMAKE_MATCH_1}, which ${layer} does not link (it may use ${_allowed})")
            endif()
        elseif(_kind MATCHES "^qcoro:(.*)$")
            if(NOT "qcoro" IN_LIST _outside_${layer})
                set(_complaint "<${header}> is QCoro, which ${layer} does not link")
            elseif(NOT CMAKE_MATCH_1 IN_LIST _qt_${layer})
                set(_complaint "<${header}> waits on ${CMAKE_MATCH_1}, which ${layer} does not link")
            endif()
        elseif(_kind STREQUAL "unknown")
            set(_complaint "<${header}> is in no library the layering check knows (name it in CheckLayering.cmake)")
        elseif(_kind MATCHES "^outside:(.*)$")
            if(NOT CMAKE_MATCH_1 IN_LIST _outside_${layer})
                set(_complaint "<${header}> is ${CMAKE_MATCH_1}, which ${layer} does not link")
            endif()
        endif()
    endif()
    set(${out} "${_complaint}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE _files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT _files)
set(_offences 0)
set(_checked 0)
foreach(_file ${_files})
    layer_of("${_file}" _layer)
    if(NOT _layer)
        message("${_file}: lies in no layer")
        math(EXPR _offences "${_offences} + 1")
        continue()
    endif()
    get_filename_component(_dir "${SOURCE_DIR}/${_file}" DIRECTORY)
    file(STRINGS "${SOURCE_DIR}/${_file}" _includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    if(_layer MATCHES "^ui/")
        list(JOIN _part_accessors "|" _accessors)
        file(STRINGS "${SOURCE_DIR}/${_file}" _reaches REGEX "[Mm]odel(\\.|->)(${_accessors})\\(\\)")
        foreach(_line ${_reaches})
            string(REGEX MATCH "(${_accessors})\\(\\)" _accessor "${_line}")
            message("${_file}: reaches a part through FrameModel::${_accessor}, windows use the model's named members")
            math(EXPR _offences "${_offences} + 1")
        endforeach()
    endif()
    foreach(_line ${_includes})
        if(_line MATCHES "include[ \t]*<([^>]+)>")
            check_include(${_layer} "${_dir}" "${CMAKE_MATCH_1}" FALSE _complaint)
        elseif(_line MATCHES "include[ \t]*\"([^\"]+)\"")
            check_include(${_layer} "${_dir}" "${CMAKE_MATCH_1}" TRUE _complaint)
        else()
            set(_complaint "")
        endif()
        math(EXPR _checked "${_checked} + 1")
        if(_complaint)
            message("${_file}: ${_complaint}")
            math(EXPR _offences "${_offences} + 1")
        endif()
    endforeach()
endforeach()

if(_offences GREATER 0)
    message(FATAL_ERROR "${_offences} include(s) or call(s) break the layering")
endif()
message("layering: ${_checked} includes in ${SOURCE_DIR} keep to their layers")
