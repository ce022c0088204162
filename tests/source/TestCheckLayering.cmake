# SPDX-License-Identifier: GPL-3.0-or-later
#
# The layering check on a small made-up source tree: the includes each layer may make pass, and
# every kind of offence is named with its file and include.
#
#   cmake -DCHECKER=<CheckLayering.cmake> -DQT_HEADERS=<Qt include root> -DWORK_DIR=<scratch> -P TestCheckLayering.cmake

cmake_minimum_required(VERSION 3.25)

set(_tree "${WORK_DIR}/layering-src")
file(REMOVE_RECURSE "${_tree}")

function(source path)
    list(JOIN ARGN "\n" _body)
    file(WRITE "${_tree}/${path}" "${_body}\n")
endfunction()

function(run_checker out_status out_output)
    execute_process(COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${_tree} -DQT_HEADERS=${QT_HEADERS} -P "${CHECKER}"
                    RESULT_VARIABLE _status OUTPUT_VARIABLE _output ERROR_VARIABLE _output)
    set(${out_status} "${_status}" PARENT_SCOPE)
    set(${out_output} "${_output}" PARENT_SCOPE)
endfunction()

set(_failures 0)
function(fail what)
    message("FAIL: ${what}")
    math(EXPR _count "${_failures} + 1")
    set(_failures ${_count} PARENT_SCOPE)
endfunction()

# Includes every layer may make: its own headers, lower layers, its Qt modules, its libraries,
# the standard library and the system.
source(kit/Page.h "#include <QString>" "#include <QtCore/QJsonObject>" "#include <optional>")
source(platform/Keyring.cpp "#include \"kit/Page.h\"" "#include <QDBusConnection>" "#include <QCoroDBusPendingCall>"
       "#include <qt6keychain/keychain.h>" "#include <libical/ical.h>" "#include <unistd.h>")
source(data/Source.cpp "#include \"platform/Keyring.h\"" "#include <QCoro/QCoroNetworkReply>" "#include <sqlite3.h>")
source(render/Renderer.cpp "#include <QWebEngineView>" "#include <QImage>" "#include <zlib.h>")
source(services/Auth.cpp "#include \"data/Source.h\"" "#include <QNetworkReply>")
source(model/Model.h "#include \"render/Renderer.h\"" "#include \"services/Auth.h\"" "#include <QImage>")
source(model/Model.cpp "#include \"Model.h\"" "#include <QCoroTimer>")
source(ui/common/Style.h "#include \"model/Model.h\"" "#include <QSvgRenderer>" "#include <QWidget>")
source(ui/card/Card.cpp "#include \"ui/common/Style.h\"" "#include <xcb/xcb.h>"
       "#include <QtGui/qguiapplication_platform.h>")
source(ui/app/App.cpp "#include \"ui/card/Card.h\"" "#include <QApplication>" "#include <QLocalSocket>")

run_checker(_status _output)
if(NOT _status EQUAL 0)
    fail("a tree that keeps to its layers passes, but the check said:\n${_output}")
endif()

# One offence of each kind.
source(kit/Gui.cpp "#include <QImage>")
source(kit/Keyring.cpp "#include <qt6keychain/keychain.h>")
source(model/Up.cpp "#include \"ui/common/Style.h\"")
source(model/App.cpp "#include <QApplication>")
source(ui/card/Sideways.cpp "#include \"ui/editor/Editor.h\"")
source(services/Browser.cpp "#include <QDesktopServices>")
source(data/Bus.cpp "#include <QCoroDBusPendingCall>")
source(render/Lost.cpp "#include \"Nowhere.h\"")
source(render/Made.cpp "#include <QMadeUpClass>")
source(stray/Loose.cpp "#include <QString>")

run_checker(_status _output)
if(_status EQUAL 0)
    fail("a tree with offences fails")
endif()
foreach(_offence
        "kit/Gui.cpp: <QImage> is QtGui, which kit does not link"
        "kit/Keyring.cpp: <qt6keychain/keychain.h> is keychain, which kit does not link"
        "model/Up.cpp: \"ui/common/Style.h\" is in ui/common, which is not below model"
        "model/App.cpp: <QApplication> is QtWidgets, which model does not link"
        "ui/card/Sideways.cpp: \"ui/editor/Editor.h\" is in ui/editor, which is not below ui/card"
        "services/Browser.cpp: <QDesktopServices> is QtGui, which services does not link"
        "data/Bus.cpp: <QCoroDBusPendingCall> waits on QtDBus, which data does not link"
        "render/Lost.cpp: \"Nowhere.h\" is not beside it"
        "render/Made.cpp: <QMadeUpClass> is in no Qt module"
        "stray/Loose.cpp: lies in no layer"
        "10 include(s) break the layering")
    string(FIND "${_output}" "${_offence}" _at)
    if(_at EQUAL -1)
        fail("the check names “${_offence}”")
    endif()
endforeach()
# The files that keep to their layers are not named among the offences.
foreach(_clean kit/Page.h platform/Keyring.cpp data/Source.cpp ui/app/App.cpp ui/card/Card.cpp)
    string(FIND "${_output}" "${_clean}:" _at)
    if(NOT _at EQUAL -1)
        fail("the check blames ${_clean}, which keeps to its layer")
    endif()
endforeach()

file(REMOVE_RECURSE "${_tree}")
if(_failures GREATER 0)
    message("The check said:\n${_output}")
    message(FATAL_ERROR "${_failures} expectation(s) failed")
endif()
message("the layering check passes a tidy tree and names every offence")
