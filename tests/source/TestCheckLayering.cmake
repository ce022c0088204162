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
       "#include <qt6keychain/keychain.h>" "#include <libical/ical.h>" "#include <libecal/libecal.h>"
       "#include <sys/resource.h>" "#include <unistd.h>" "#include <csignal>")
source(data/Source.cpp "#include \"platform/Keyring.h\"" "#include <QCoro/QCoroNetworkReply>" "#include <sqlite3.h>"
       "#include <pwd.h>")
source(render/Renderer.cpp "#include <QWebEngineView>" "#include <QImage>" "#include <libdeflate.h>"
       "#include <malloc.h>" "#include <string.h>")
source(services/Auth.cpp "#include \"data/Source.h\"" "#include <QNetworkReply>")
source(model/FrameModel.h "#include \"render/Renderer.h\"" "#include \"services/Auth.h\"" "#include <QImage>")
source(model/FrameModel.cpp "#include \"FrameModel.h\"" "#include <QCoroTimer>")
source(ui/common/Style.h "#include \"model/FrameModel.h\"" "#include <QSvgRenderer>" "#include <QWidget>")
source(ui/card/Card.cpp "#include \"ui/common/Style.h\"" "#include <xcb/xcb.h>"
       "#include <QtGui/qguiapplication_platform.h>")
source(ui/app/App.cpp "#include \"ui/card/Card.h\"" "#include <QApplication>" "#include <QLocalSocket>"
       "#include <fcntl.h>")

run_checker(_status _output)
if(NOT _status EQUAL 0)
    fail("a tree that keeps to its layers passes, but the check said:\n${_output}")
endif()

# One offence of each kind: the file, its include and what the check must say of it.
set(_planted
    "kit/Gui.cpp|<QImage>|<QImage> is QtGui, which kit does not link"
    "kit/Keyring.cpp|<qt6keychain/keychain.h>|<qt6keychain/keychain.h> is keychain, which kit does not link"
    "model/Up.cpp|\"ui/common/Style.h\"|\"ui/common/Style.h\" is in ui/common, which is not below model"
    "model/App.cpp|<QApplication>|<QApplication> is QtWidgets, which model does not link"
    "ui/card/Sideways.cpp|\"ui/editor/Editor.h\"|\"ui/editor/Editor.h\" is in ui/editor, which is not below ui/card"
    "services/Browser.cpp|<QDesktopServices>|<QDesktopServices> is QtGui, which services does not link"
    "data/Bus.cpp|<QCoroDBusPendingCall>|<QCoroDBusPendingCall> waits on QtDBus, which data does not link"
    "render/Lost.cpp|\"Nowhere.h\"|\"Nowhere.h\" is not beside it"
    "render/Made.cpp|<QMadeUpClass>|<QMadeUpClass> is in no Qt module"
    "stray/Loose.cpp|<QString>|lies in no layer"
    # Libraries from outside Qt, each in a layer that does not link it.
    "data/Png.cpp|<libdeflate.h>|<libdeflate.h> is libdeflate, which data does not link"
    "data/Events.cpp|<libecal/libecal.h>|<libecal/libecal.h> is libecal, which data does not link"
    "services/Ics.cpp|<libical/ical.h>|<libical/ical.h> is libical, which services does not link"
    "platform/Db.cpp|<sqlite3.h>|<sqlite3.h> is sqlite, which platform does not link"
    "services/Token.cpp|<qt6keychain/keychain.h>|<qt6keychain/keychain.h> is keychain, which services does not link"
    "ui/editor/Hints.cpp|<xcb/xcb.h>|<xcb/xcb.h> is xcb, which ui/editor does not link"
    # POSIX only where a layer really calls the system.
    "kit/Write.cpp|<unistd.h>|<unistd.h> is posix, which kit does not link"
    "model/Pid.cpp|<unistd.h>|<unistd.h> is posix, which model does not link"
    "ui/common/Stat.cpp|<sys/stat.h>|<sys/stat.h> is posix, which ui/common does not link"
    "ui/card/Open.cpp|<fcntl.h>|<fcntl.h> is posix, which ui/card does not link"
    "model/Trim.cpp|<malloc.h>|<malloc.h> is posix, which model does not link"
    # A library the check does not know is not taken for the system's.
    "render/Zip.cpp|<zlib.h>|<zlib.h> is in no library the layering check knows"
    "kit/Json.cpp|<nlohmann/json.hpp>|<nlohmann/json.hpp> is in no library the layering check knows"
    # Windows reach the model through its front only.
    "ui/editor/Pages.cpp|\"model/PageDocument.h\"|\"model/PageDocument.h\" is a part of the model, windows go through model/FrameModel.h")
set(_expected "")
foreach(_row ${_planted})
    string(REPLACE "|" ";" _fields "${_row}")
    list(GET _fields 0 _file)
    list(GET _fields 1 _include)
    list(GET _fields 2 _complaint)
    source(${_file} "#include ${_include}")
    list(APPEND _expected "${_file}: ${_complaint}")
endforeach()
source(ui/card/Note.cpp "QString note(const FrameModel &model) { return model.refresher().failureNote(); }")
list(APPEND _expected "ui/card/Note.cpp: reaches a part through FrameModel::refresher(), windows use the model's named members")
list(LENGTH _planted _count)
math(EXPR _count "${_count} + 1")
list(APPEND _expected "${_count} include(s) or call(s) break the layering")

run_checker(_status _output)
if(_status EQUAL 0)
    fail("a tree with offences fails")
endif()
foreach(_offence ${_expected})
    string(FIND "${_output}" "${_offence}" _at)
    if(_at EQUAL -1)
        fail("the check names “${_offence}”")
    endif()
endforeach()
# The files that keep to their layers are not named among the offences.
foreach(_clean kit/Page.h platform/Keyring.cpp data/Source.cpp render/Renderer.cpp ui/app/App.cpp ui/card/Card.cpp)
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
