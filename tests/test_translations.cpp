// The window in every language it speaks: each text it shows is drawn with
// glyphs its font has and fits its label, and no text is left untranslated.
#include "mainwindow.h"
#include "vornbutton.h"
#include "vornclosebutton.h"
#include "widgets/buttonword.h"
#include "window/localization.h"
#include "window/updatetexts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRawFont>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTranslator>
#include <QXmlStreamReader>

#include <memory>

namespace {

struct Message
{
    QString source;
    QString translation;
    QString type;
};

//! Messages of a .ts file by context and source text.
QMap<QString, Message> readTs(const QString &path)
{
    QMap<QString, Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
    {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd())
    {
        xml.readNext();
        if (!xml.isStartElement())
        {
            continue;
        }
        if (xml.name() == QLatin1String("name"))
        {
            context = xml.readElementText();
        }
        else if (xml.name() == QLatin1String("source"))
        {
            message.source = xml.readElementText();
        }
        else if (xml.name() == QLatin1String("translation"))
        {
            message.type = xml.attributes().value(QLatin1String("type")).toString();
            message.translation = xml.readElementText();
            messages.insert(context + QLatin1Char('|') + message.source, message);
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return messages;
}

QStringList placeholders(const QString &text)
{
    QStringList found;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("%\\d")).globalMatch(text);
    while (it.hasNext())
    {
        found << it.next().captured();
    }
    found.sort();
    return found;
}

TEST(TranslationFiles, LupdateFindsEveryTextOfTheSourcesTranslatedInBothFiles)
{
    QTemporaryDir updated;
    ASSERT_TRUE(updated.isValid());
    QProcess lupdate;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUPDATE"), QStringLiteral(VORN_LUPDATE));
    lupdate.setProcessEnvironment(environment);
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(VORN_SOURCE_DIR "/scripts/update-translations"), { updated.path() });
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAll().toStdString();

    for (const char *language : { "de", "es" })
    {
        SCOPED_TRACE(language);
        const QString name = QStringLiteral("kelvo-updater_%1.ts").arg(QLatin1String(language));
        const QMap<QString, Message> fresh = readTs(updated.filePath(name));
        const QMap<QString, Message> committed = readTs(QStringLiteral(VORN_SOURCE_DIR "/translations/") + name);
        EXPECT_GT(fresh.size(), 10);
        EXPECT_EQ(fresh.keys(), committed.keys()) << "texts were added or dropped: run the update-translations target";
        for (const Message &message : fresh)
        {
            SCOPED_TRACE(message.source.toStdString());
            EXPECT_TRUE(message.type.isEmpty()) << message.type.toStdString();
            EXPECT_FALSE(message.translation.isEmpty());
            EXPECT_EQ(placeholders(message.translation), placeholders(message.source));
        }
    }
}

//! A window built in one language, as the program builds it: translators
//! first, then the window.
class TranslatedWindow : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        localization::install(*qApp, QLocale(QLatin1String(GetParam())));
        window = std::make_unique<MainWindow>();
    }
    void TearDown() override
    {
        window.reset();
        for (QTranslator *translator : qApp->findChildren<QTranslator *>())
        {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }

    std::unique_ptr<MainWindow> window;
};

QString plainText(const QLabel &label)
{
    if (label.textFormat() == Qt::PlainText || !Qt::mightBeRichText(label.text()))
    {
        return label.text();
    }
    QTextDocument document;
    document.setHtml(label.text());
    return document.toPlainText();
}

TEST_P(TranslatedWindow, EveryLabelsTextHasItsGlyphsInTheLabelsFontAndFitsTheLabel)
{
    const QByteArray expectedHeight = qgetenv("VORN_SCREEN_HEIGHT");
    if (!expectedHeight.isEmpty())
    {
        ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().height(), expectedHeight.toInt());
    }
    int checked = 0;
    for (const QLabel *label : window->findChildren<QLabel *>())
    {
        const QString text = plainText(*label).trimmed();
        if (text.isEmpty())
        {
            continue;
        }
        SCOPED_TRACE(label->objectName().toStdString() + ": " + text.toStdString());
        const QFont font = label->font();
        if (font.family() == QLatin1String("DIN Next W1G"))
        {
            EXPECT_EQ(QFontInfo(font).family(), font.family()) << "the embedded face is not the one drawn";
        }
        const QRawFont raw = QRawFont::fromFont(font);
        for (const QChar character : text)
        {
            if (!character.isSpace())
            {
                EXPECT_TRUE(raw.supportsCharacter(character))
                    << "no glyph for U+" << QString::number(character.unicode(), 16).toStdString() << " in "
                    << raw.familyName().toStdString();
            }
        }
        const QFontMetrics metrics(font);
        const QRect room = label->contentsRect();
        if (label->wordWrap())
        {
            const QRect needed = metrics.boundingRect(room, Qt::TextWordWrap | label->alignment(), text);
            EXPECT_LE(needed.width(), room.width());
            EXPECT_LE(needed.height(), room.height()) << "the wrapped text needs more lines than the label holds";
        }
        else
        {
            EXPECT_LE(metrics.horizontalAdvance(text), room.width()) << "at " << font.pixelSize() << " px";
        }
        ++checked;
    }
    EXPECT_GE(checked, 8);
}

TEST_P(TranslatedWindow, EachButtonsWordHasItsGlyphsFitsItsPillAndIsTheWordTheMessagesName)
{
    const auto *update = window->findChild<vornButton *>();
    const auto *close = window->findChild<vornCloseButton *>();
    ASSERT_TRUE(update && close);
    for (const QLabel *button : { static_cast<const QLabel *>(update), static_cast<const QLabel *>(close) })
    {
        const QString word = button == update ? update->word() : close->word();
        SCOPED_TRACE(word.toStdString());
        ASSERT_FALSE(word.isEmpty());
        const QFont font = buttonword::font(button->height());
        EXPECT_EQ(QFontInfo(font).family(), font.family()) << "the embedded face is not the one drawn";
        const QRawFont raw = QRawFont::fromFont(font);
        for (const QChar character : word)
        {
            EXPECT_TRUE(character.isSpace() || raw.supportsCharacter(character))
                << "no glyph for U+" << QString::number(character.unicode(), 16).toStdString();
        }
        EXPECT_LE(QFontMetrics(font).horizontalAdvance(word), buttonword::room(button->size()).width())
            << "at " << font.pixelSize() << " px on a button " << button->width() << " px wide";
    }
    // A message that sends the user to a button names it as the button shows it.
    for (const char *message : { updatetexts::kTryAgain, updatetexts::kImageNotReady })
    {
        EXPECT_TRUE(updatetexts::text(message).contains(update->word())) << message;
    }
}

TEST_P(TranslatedWindow, TheWindowSpeaksTheLanguageItWasBuiltIn)
{
    const QLabel *instruction = window->findChild<QLabel *>(QStringLiteral("lblConnectController"));
    const bool english = QLatin1String(GetParam()) == QLatin1String("en");
    EXPECT_EQ(instruction->text() == QLatin1String("Click and hold the left thumbstick while inserting"), english);
    EXPECT_EQ(updatetexts::text(updatetexts::kEraseFailed) == QLatin1String(updatetexts::kEraseFailed), english);
    EXPECT_EQ(window->findChild<vornCloseButton *>()->word() == QLatin1String("CLOSE"), english);
    // Qt's own texts too: the button that shows a failure's log.
    EXPECT_EQ(QCoreApplication::translate("QMessageBox", "Show Details...") == QLatin1String("Show Details..."), english);
    // The product's name and the versions are never translated.
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("lblProduct"))->text(), QLatin1String("VORN Kelvo Pro Wired"));
}

INSTANTIATE_TEST_SUITE_P(Languages, TranslatedWindow, ::testing::Values("en", "de", "es"),
                         [](const ::testing::TestParamInfo<const char *> &info) { return std::string(info.param); });

} // namespace
