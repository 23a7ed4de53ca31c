#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

/// What a translator still has to do in one .ts file: each message left unfinished, each whose
/// text vanished from the views, and each translation that lost a placeholder of its source.
QStringList translationFaults(const QByteArray& ts) {
    static const QRegularExpression placeholder(QStringLiteral("%(\\d+|n)"));
    QStringList faults;
    QString source;
    QString state;
    QString translation;
    QXmlStreamReader xml(ts);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.isStartElement() && xml.name() == u"translation") {
            state = xml.attributes().value(QStringLiteral("type")).toString();
            translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isEndElement() && xml.name() == u"message") {
            if (!state.isEmpty()) {
                faults << state + ": " + source;
            }
            for (const QRegularExpressionMatch& match : placeholder.globalMatch(source)) {
                if (!translation.contains(match.captured())) {
                    faults << "lost " + match.captured() + ": " + source;
                }
            }
        }
    }
    if (xml.hasError()) {
        faults << "unreadable: " + xml.errorString();
    }
    return faults;
}

QByteArray ts(const char* message) {
    return QByteArray("<TS><context><name>V</name><message>") + message +
           "</message></context></TS>";
}

TEST(TranslationCheckTest, SeesEachFault) {
    const std::vector<std::pair<QByteArray, QStringList>> cases{
        {ts("<source>Log out</source><translation>Abmelden</translation>"), {}},
        {ts("<source>Success: %1</source><translation>Erfolgreich: %1</translation>"), {}},
        {ts(R"(<source>Log out</source><translation type="unfinished"></translation>)"),
         {"unfinished: Log out"}},
        {ts(R"(<source>Log out</source><translation type="vanished">Abmelden</translation>)"),
         {"vanished: Log out"}},
        {ts("<source>Success: %1</source><translation>Erfolgreich</translation>"),
         {"lost %1: Success: %1"}},
    };
    for (const auto& [file, faults] : cases) {
        EXPECT_EQ(translationFaults(file), faults) << file.toStdString();
    }
    EXPECT_TRUE(translationFaults("<TS><context>").first().startsWith("unreadable"));
}

// lupdate brings copies of the .ts files up to the views' texts, as a developer's next update
// would; the tree's own files stay as they are.
TEST(TranslationCheckTest, EveryTextOfTheViewsIsTranslated) {
    const QTemporaryDir copies;
    const QDir translations(QStringLiteral(QUORVANE_TRANSLATIONS_DIR));
    QStringList files;
    for (const QString& name : translations.entryList({QStringLiteral("*.ts")})) {
        files << copies.filePath(name);
        ASSERT_TRUE(QFile::copy(translations.filePath(name), files.back()));
    }
    ASSERT_EQ(files.size(), 6);
    QProcess lupdate;
    lupdate.start(QStringLiteral(QUORVANE_LUPDATE),
                  QStringList{"-project", QUORVANE_LUPDATE_PROJECT, "-locations", "none", "-ts"} +
                      files);
    ASSERT_TRUE(lupdate.waitForFinished(60'000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    for (const QString& file : files) {
        QFile updated(file);
        ASSERT_TRUE(updated.open(QIODevice::ReadOnly));
        const QByteArray text = updated.readAll();
        EXPECT_EQ(translationFaults(text).join('\n').toStdString(), "") << file.toStdString();
        EXPECT_GT(text.count("<message"), 40) << "the views' texts were not all found";
    }
}

} // namespace
