// SPDX-License-Identifier: GPL-3.0-or-later
// The program's texts are written as a Linux desktop user reads them. This test reads every
// string literal of the sources (src/) and the page view (views/) and fails, naming file and
// line, when one uses another desktop platform's words; the table below says what to write
// instead. Identifiers and comments are not texts and are skipped (QKeychain, a class named after
// the keyring library, or a desktop entry's "Terminal=false" key are fine).

#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Wording
{
    QRegularExpression pattern;
    QString instead;
};

const QList<Wording> &foreignWordings()
{
    static const QList<Wording> table{
        {QRegularExpression(QStringLiteral("\\bMac\\b")), QStringLiteral("“this computer”")},
        {QRegularExpression(QStringLiteral("⌘|⇧")), QStringLiteral("“Ctrl+”, “Ctrl+Shift+”")},
        {QRegularExpression(QStringLiteral("\\bKeychain\\b")), QStringLiteral("“keyring”")},
        {QRegularExpression(QStringLiteral("System (Settings|Preferences)")),
         QStringLiteral("“Tessarine’s privacy settings”")},
        {QRegularExpression(QStringLiteral("\\bFinder\\b")), QStringLiteral("“the file manager”")},
        {QRegularExpression(QStringLiteral("\\bDock\\b")), QStringLiteral("“the taskbar” or “the panel”")},
        // The application named Terminal; "Terminal=" is a desktop entry's key.
        {QRegularExpression(QStringLiteral("\\bTerminal\\b(?!=)")), QStringLiteral("“a terminal”")},
        {QRegularExpression(QStringLiteral("Homebrew|\\bbrew install\\b")), QStringLiteral("“sudo apt install”")},
        {QRegularExpression(QStringLiteral("to Applications\\b")), QStringLiteral("“install it”")},
    };
    return table;
}

struct Literal
{
    QString text;
    int line = 0;
};

enum class Language
{
    Cpp,
    JavaScript,
};

// The contents of the string literals of C++ or JavaScript source, skipping comments. Character
// literals count as strings in JavaScript; in C++ they are too short to hold a word, and a quote
// between digits is a digit separator.
QList<Literal> literalsOf(const QString &source, Language language)
{
    QList<Literal> literals;
    int line = 1;
    const qsizetype size = source.size();
    auto at = [&](qsizetype i) { return i < size ? source.at(i) : QChar(); };
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = source.at(i);
        if (c == QLatin1Char('\n')) {
            ++line;
        } else if (c == QLatin1Char('/') && at(i + 1) == QLatin1Char('/')) {
            while (i + 1 < size && source.at(i + 1) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && at(i + 1) == QLatin1Char('*')) {
            for (i += 2; i < size && !(source.at(i) == QLatin1Char('*') && at(i + 1) == QLatin1Char('/')); ++i)
                line += source.at(i) == QLatin1Char('\n') ? 1 : 0;
            ++i;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('`')) {
            const bool cppQuote = language == Language::Cpp && c != QLatin1Char('"');
            if (cppQuote && c == QLatin1Char('\'') && i > 0 && source.at(i - 1).isLetterOrNumber())
                continue;
            Literal literal{QString(), line};
            for (++i; i < size && source.at(i) != c; ++i) {
                if (source.at(i) == QLatin1Char('\\'))
                    literal.text += source.at(++i);
                else
                    literal.text += source.at(i);
                line += source.at(i) == QLatin1Char('\n') ? 1 : 0;
            }
            if (!cppQuote)
                literals.append(literal);
        }
    }
    return literals;
}

void collectJsonStrings(const QJsonValue &value, QList<Literal> &into)
{
    if (value.isString()) {
        into.append({value.toString(), 0});
    } else if (value.isArray()) {
        for (const QJsonValue &item : value.toArray())
            collectJsonStrings(item, into);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            collectJsonStrings(it.value(), into);
    }
}

// Every text a file can show: string literals of code, string values of JSON, the whole of
// markup and style sheets.
QList<Literal> textsOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const QString suffix = path.section(QLatin1Char('.'), -1);
    if (suffix == QStringLiteral("cpp") || suffix == QStringLiteral("h"))
        return literalsOf(QString::fromUtf8(bytes), Language::Cpp);
    if (suffix == QStringLiteral("js"))
        return literalsOf(QString::fromUtf8(bytes), Language::JavaScript);
    if (suffix == QStringLiteral("json")) {
        QList<Literal> strings;
        collectJsonStrings(QJsonDocument::fromJson(bytes).object(), strings);
        return strings;
    }
    return {{QString::fromUtf8(bytes), 1}};
}

// "file:line: “text” — write … instead" for every foreign wording in the file.
QStringList findingsIn(const QString &path, const QString &shownPath)
{
    QStringList findings;
    for (const Literal &literal : textsOf(path)) {
        for (const Wording &wording : foreignWordings()) {
            const QRegularExpressionMatch match = wording.pattern.match(literal.text);
            if (match.hasMatch())
                findings.append(QStringLiteral("%1:%2: “%3” in “%4”: write %5 instead")
                                    .arg(shownPath)
                                    .arg(literal.line)
                                    .arg(match.captured(), literal.text.left(120), wording.instead));
        }
    }
    return findings;
}

QStringList wordingsIn(const QString &text, Language language)
{
    QStringList found;
    for (const Literal &literal : literalsOf(text, language)) {
        for (const Wording &wording : foreignWordings()) {
            const QRegularExpressionMatch match = wording.pattern.match(literal.text);
            if (match.hasMatch())
                found.append(match.captured());
        }
    }
    return found;
}

} // namespace

class TestPlatformWords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsForeignWordsOnlyInsideTexts_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("found");
        const int cpp = int(Language::Cpp);
        const int js = int(Language::JavaScript);

        QTest::newRow("a computer named Mac")
            << QStringLiteral("label(u\"Read on this Mac.\"_s);") << cpp << QStringList{"Mac"};
        QTest::newRow("shortcut symbol") << QStringLiteral("tip(QStringLiteral(\"Undo (⌘Z)\"));") << cpp
                                         << QStringList{"⌘"};
        QTest::newRow("the terminal application")
            << QStringLiteral("QStringLiteral(\"run it in Terminal, then\")") << cpp << QStringList{"Terminal"};
        QTest::newRow("several texts, several words")
            << QStringLiteral("a(\"kept in your Keychain\"); b(\"in System Settings\"); c(\"open Finder\");") << cpp
            << QStringList{"Keychain", "System Settings", "Finder"};
        QTest::newRow("text split over lines")
            << QStringLiteral("QStringLiteral(\"first part \"\n    \"to the Dock\")") << cpp << QStringList{"Dock"};
        QTest::newRow("escaped quote inside a text")
            << QStringLiteral("s(\"say \\\"hi\\\" from this Mac\")") << cpp << QStringList{"Mac"};
        QTest::newRow("identifiers are no texts")
            << QStringLiteral("class KeychainCredentialStore; QKeychain::Job *job; int Mac = 0;") << cpp
            << QStringList();
        QTest::newRow("comments are no texts")
            << QStringLiteral("// the Mac's Keychain\n/* Finder, \"Dock\" */ f(\"fine\");") << cpp << QStringList();
        QTest::newRow("desktop entry key")
            << QStringLiteral("lines << QStringLiteral(\"Terminal=false\");") << cpp << QStringList();
        QTest::newRow("digit separators do not open a text")
            << QStringLiteral("int n = 30'000; // Mac\nf(\"Dock\"); int m = 5'000;") << cpp << QStringList{"Dock"};
        QTest::newRow("words that only contain a name")
            << QStringLiteral("f(\"Macro, terminals, Docker, Finders keepers\")") << cpp << QStringList();
        QTest::newRow("JavaScript quotes")
            << QStringLiteral("el.title = 'in Finder'; x = `on this Mac`;") << js << QStringList{"Finder", "Mac"};
    }

    void findsForeignWordsOnlyInsideTexts()
    {
        QFETCH(QString, source);
        QFETCH(int, language);
        QFETCH(QStringList, found);
        QCOMPARE(wordingsIn(source, Language(language)), found);
    }

    void sourcesAndViewsUseLinuxWords()
    {
        const QString root = QStringLiteral(TESSARINE_SOURCE_ROOT);
        QStringList findings;
        int files = 0;
        for (const QString &folder : {QStringLiteral("src"), QStringLiteral("views")}) {
            QDirIterator it(root + QLatin1Char('/') + folder,
                            {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.js"),
                             QStringLiteral("*.json"), QStringLiteral("*.html"), QStringLiteral("*.css")},
                            QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                ++files;
                findings += findingsIn(path, path.mid(root.size() + 1));
            }
        }
        // The walk found the sources at all: an empty folder would pass for a clean one.
        QVERIFY2(files > 100, qPrintable(QString::number(files)));
        QVERIFY2(findings.isEmpty(), qPrintable(findings.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestPlatformWords)
#include "TestPlatformWords.moc"
