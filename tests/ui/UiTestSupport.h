#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <functional>

// Helpers for the card's tests: a fixed arrangement of offscreen screens and screens
// directories with pictures of known colours.
namespace UiTestSupport {

// The offscreen screens every card test runs with: the main screen at the origin and a second
// one to its right.
inline const QRect mainScreen(0, 0, 1920, 1080);
inline const QRect secondScreen(1920, 0, 1280, 1024);

// Points the offscreen platform at the two screens above; call before the application exists.
void useTwoScreens();

// Writes a manifest naming `views` (ok, or failed with `error`) and, for every view and look,
// the pictures `picture` draws, into `directory`.
using PictureMaker = std::function<QImage(const QString &view, const QString &look, bool dark)>;
void writeScreens(const QString &directory, const QStringList &views, const PictureMaker &picture,
                  const std::optional<QString> &error = std::nullopt);

// A picture of the page canvas in one colour, at the size the renderer makes for the look.
QImage solidPicture(const QString &look, const QColor &colour);

} // namespace UiTestSupport

// A Qt Test main that runs the test class on the two offscreen screens.
#define TESSARINE_UI_TEST_MAIN(TestClass)                                                                              \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        UiTestSupport::useTwoScreens();                                                                                \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass test;                                                                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
