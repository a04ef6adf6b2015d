#include "prefs/BibPreferences.h"

#include "TestFiles.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/MacroList.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A preferences store on a settings file of its own in a temporary folder.
class PreferencesTest : public ::testing::Test
{
protected:
    QString settingsPath() const { return m_dir.filePath(u"Quirefold.conf"_s); }

    std::unique_ptr<BibPreferences> loaded() const
    {
        auto preferences = std::make_unique<BibPreferences>(settingsPath());
        preferences->setDefaults();
        preferences->loadPreferences();
        return preferences;
    }

    void store(const QString &key, const QVariant &value) const
    {
        QSettings(settingsPath(), QSettings::IniFormat).setValue(key, value);
    }

    QVariant storedValue(const QString &key) const
    {
        return QSettings(settingsPath(), QSettings::IniFormat).value(key);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PreferencesTest, freshUserGetsTheDefaultsAndASaveWritesEveryKey)
{
    auto preferences = loaded();
    EXPECT_FALSE(preferences->prefInitialized());
    EXPECT_TRUE(preferences->loadErrors().isEmpty());
    EXPECT_EQ(preferences->databaseEncoding(), quint32(TextEncodings::UTF8));
    preferences->setDirty(true);
    ASSERT_TRUE(preferences->savePreferences());
    EXPECT_FALSE(preferences->dirty());
    // Every key but those of the user's own choices, which have no default.
    const QStringList absent = {
        BibPreferences::kLastSelectedDatabaseID, BibPreferences::kLastSelectedDatabaseKind,
        BibPreferences::kActiveTextEncodingList, BibPreferences::kSuppressWarningDatabases,
        BibPreferences::kLastSelectedAuthors,    BibPreferences::kLastSelectedBibItems,
        BibPreferences::kRecentAuthorSearches};
    const QSettings settings(settingsPath(), QSettings::IniFormat);
    for (const auto &[key, kind] : BibPreferences::loadList())
        EXPECT_EQ(settings.contains(key), !absent.contains(key)) << qPrintable(key);
    const auto again = loaded();
    EXPECT_TRUE(again->prefInitialized());
    EXPECT_TRUE(again->loadErrors().isEmpty());
}

TEST_F(PreferencesTest, changedValuesSurviveSaveAndLoad)
{
    auto preferences = loaded();
    preferences->setDatabaseEncoding(TextEncodings::ShiftJISCF);
    preferences->setDatabaseLineMode(1);
    preferences->setWindowFrame(QRectF(1.5, 2, 1024, 700.25));
    preferences->setActiveEncodings({4, 0x80000A01u, 3});
    preferences->setLastSelectedDatabase(u"abc"_s);
    preferences->setLastSelectedDbKind(5);
    preferences->setLastSelectedAuthors({u"山田 太郎"_s, u"Knuth, D. E."_s});
    preferences->setAuthorSeparatorOnCopy(u" and "_s);
    preferences->setListFontSize(11.5);
    preferences->setAutoSave(true);
    QVariantMap types = preferences->bibTypeDefinitions();
    types.insert(u"ONLINE"_s, types.value(u"MISC"_s));
    preferences->setBibTypeDefinitions(types);
    ASSERT_TRUE(preferences->savePreferences());

    const auto again = loaded();
    EXPECT_EQ(again->dictionary(), preferences->dictionary());
    EXPECT_EQ(again->databaseEncoding(), 0x80000A01u);
    EXPECT_EQ(again->windowFrame(), QRectF(1.5, 2, 1024, 700.25));
    EXPECT_EQ(again->activeEncodings(), (QList<quint32>{4, 0x80000A01u, 3}));
    EXPECT_EQ(again->lastSelectedDbKind(), std::optional<int>(5));
    EXPECT_EQ(again->lastSelectedAuthors(), (QStringList{u"山田 太郎"_s, u"Knuth, D. E."_s}));
    EXPECT_TRUE(again->bibTypesList().contains(u"ONLINE"_s));
}

TEST_F(PreferencesTest, settersClampAndNormalize)
{
    auto preferences = loaded();
    preferences->setListFontSize(8);
    preferences->setFieldFontSize(9.99);
    preferences->setNumBackups(-3);
    preferences->setAutoSaveInterval(0);
    preferences->setLastCreatedBibType(QString());
    EXPECT_DOUBLE_EQ(preferences->listFontSize(), 10);
    EXPECT_DOUBLE_EQ(preferences->fieldFontSize(), 10);
    EXPECT_EQ(preferences->numBackups(), 0);
    EXPECT_EQ(preferences->autoSaveInterval(), 1);
    EXPECT_EQ(preferences->lastCreatedBibType(), u"ARTICLE"_s);

    const std::tuple<const char16_t *, const char16_t *> separators[] = {
        {u";", u"; "}, {u",", u", "}, {u" / ", u" / "}};
    for (const auto &[given, stored] : separators) {
        preferences->setAuthorSeparatorOnCopy(QString::fromUtf16(given));
        EXPECT_EQ(preferences->authorSeparatorOnCopy(), QString::fromUtf16(stored));
    }

    // Stored values are clamped when they are loaded.
    store(BibPreferences::kListFontSize, 4);
    store(BibPreferences::kNumberOfBackupFiles, -1);
    const auto stored = loaded();
    EXPECT_DOUBLE_EQ(stored->listFontSize(), 10);
    EXPECT_EQ(stored->numBackups(), 0);
}

TEST_F(PreferencesTest, settersSetDirtyAndACleanSaveWritesNothing)
{
    auto preferences = loaded();
    preferences->setDirty(false);
    ASSERT_TRUE(preferences->savePreferences());
    EXPECT_FALSE(QFileInfo::exists(settingsPath()));
    preferences->setQuickSearchCase(true);
    EXPECT_TRUE(preferences->dirty());

    // The suppress list holds each database once.
    for (const char16_t *id : {u"id1", u"id1", u"id2"})
        preferences->appendSuppressDatabase(QString::fromUtf16(id));
    preferences->removeSuppressDatabase(u"id1"_s);
    preferences->setDirty(false);
    preferences->removeSuppressDatabase(u"absent"_s);
    EXPECT_FALSE(preferences->dirty());
    EXPECT_EQ(preferences->suppressWarnings(), QStringList{u"id2"_s});
}

TEST_F(PreferencesTest, damagedValuesGiveDefaultsAnErrorAndAreKeptAsideAndRetiredKeysGo)
{
    store(BibPreferences::kListFontSize, u"large"_s);
    store(BibPreferences::kBibTypeDefinitions, u"{\"ARTICLE\": [broken"_s);
    store(BibPreferences::kMainWindowFrame, u"[1, 2, 3]"_s);
    store(BibPreferences::kSortOrder, u"sideways"_s);
    store(BibPreferences::kListColumnOrder, u"[1, 2]"_s);
    store(BibPreferences::kPredefinedMacros, u"[[\"JAN\"], \"not a map\"]"_s);
    auto preferences = loaded();
    EXPECT_DOUBLE_EQ(preferences->listFontSize(), 13);
    EXPECT_TRUE(preferences->bibTypeDefinitions().contains(u"ARTICLE"_s));
    EXPECT_EQ(preferences->windowFrame(), QRectF(80, 100, 800, 522));
    EXPECT_TRUE(preferences->sortAscending());
    EXPECT_EQ(preferences->listColumnOrder().size(), 8);
    ASSERT_NE(preferences->macroList(), nullptr);
    EXPECT_EQ(preferences->macroList()->count(), 31);
    const QStringList errors = preferences->loadErrors();
    ASSERT_EQ(errors.size(), 6);
    EXPECT_EQ(errors[0],
              Texts::format(u"PrefsError_BadValue", {BibPreferences::kBibTypeDefinitions}));

    // A save writes the defaults but the damaged originals stay aside.
    preferences->setDirty(true);
    ASSERT_TRUE(preferences->savePreferences());
    EXPECT_EQ(storedValue(u"Damaged Settings/"_s + BibPreferences::kListFontSize), u"large"_s);
    EXPECT_TRUE(loaded()->loadErrors().isEmpty());
    // Retired keys are removed at load.
    store(u"Edit Field Font Size"_s, 12);
    store(BibPreferences::kLastEditTab, u"others"_s);
    EXPECT_EQ(loaded()->lastEditTab(), u"others"_s);
    EXPECT_FALSE(storedValue(u"Edit Field Font Size"_s).isValid());
    EXPECT_EQ(storedValue(BibPreferences::kLastEditTab), u"others"_s);
}

TEST_F(PreferencesTest, unreadableSettingsFileIsKeptAside)
{
    QfTest::writeAll(settingsPath(),
                     "[General]\nList%20Font%20Size=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1f)\n"
                     "\xff\xfe\x00garbage=\"unterminated\n[[[\n");
    const auto preferences = loaded();
    const QString aside = settingsPath() + u".damaged"_s;
    ASSERT_FALSE(preferences->loadErrors().isEmpty());
    EXPECT_EQ(preferences->loadErrors().first(),
              Texts::format(u"PrefsError_DamagedFile", {settingsPath(), aside}));
    EXPECT_TRUE(QFileInfo::exists(aside));
    EXPECT_DOUBLE_EQ(preferences->listFontSize(), 13);
}

TEST_F(PreferencesTest, lineEndingHelpers)
{
    const std::tuple<int, const char16_t *> rows[] = {{0, u"\r"}, {1, u"\r\n"}, {2, u"\n"}};
    for (const auto &[code, text] : rows) {
        EXPECT_EQ(BibPreferences::stringFromLineEnding(code), QString::fromUtf16(text)) << code;
        EXPECT_EQ(BibPreferences::lineEndingFromString(QString::fromUtf16(text)), code);
    }
    // Anything else is CR LF.
    EXPECT_EQ(BibPreferences::stringFromLineEnding(7), u"\r\n"_s);
    EXPECT_EQ(BibPreferences::lineEndingFromString(u"x"_s), 1);
}

TEST(BibPreferencesFiles, treeDictionaryRoundTripsAndDamagedFilesAreKeptAside)
{
    QString error;
    const std::optional<QString> folder = BibPreferences::quirefoldFolder(error);
    ASSERT_TRUE(folder.has_value()) << qPrintable(error);
    // Never the user's own folder: the test main points the data home elsewhere.
    EXPECT_TRUE(folder->startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    EXPECT_EQ(BibPreferences::dbTreeFilePath(), *folder + u"/QuirefoldLibraries.biblib"_s);
    BibPreferences preferences(u"/nonexistent/never-written.conf"_s);
    QFile::remove(BibPreferences::dbTreeFilePath());
    EXPECT_FALSE(preferences.dbTreeDictionary(error).has_value());
    EXPECT_TRUE(error.isEmpty());

    const QVariantMap tree{
        {u"Database Tree Property"_s, QVariantMap{{u"kind"_s, 0}, {u"description"_s, u"論文"_s}}}};
    ASSERT_TRUE(preferences.setDbTreeDictionary(tree, error)) << qPrintable(error);
    EXPECT_EQ(preferences.dbTreeDictionary(error), std::optional<QVariantMap>(tree));

    // Damage it: reading reports, answers nothing and moves the file aside.
    const QString path = BibPreferences::dbTreeFilePath();
    QfTest::writeAll(path, "{\"format\": \"Quirefold archive\", \"kind\": \"tree\", \"ro");
    QFile::remove(path + u".damaged"_s);
    error.clear();
    EXPECT_FALSE(preferences.dbTreeDictionary(error).has_value());
    EXPECT_TRUE(error.contains(path)) << qPrintable(error);
    EXPECT_FALSE(QFileInfo::exists(path));
    // A later save writes a new file and leaves the damaged one alone.
    ASSERT_TRUE(preferences.setDbTreeDictionary(tree, error));
    EXPECT_TRUE(QFileInfo::exists(path + u".damaged"_s));
    EXPECT_EQ(preferences.dbTreeDictionary(error), std::optional<QVariantMap>(tree));
}

TEST(BibPreferencesThreads, loadersReadWhileTheMainThreadChangesSettings)
{
    // Loader threads read the encoding and the suppress list and expand names
    // through the common macros while the main thread changes settings and
    // installs edited copies of the macro list.
    BibPreferences preferences(u"/nonexistent/never-written.conf"_s);
    preferences.setDefaults();
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                const quint32 code = preferences.databaseEncoding();
                if (code != TextEncodings::UTF8 && code != TextEncodings::ShiftJISCF)
                    ++bad;
                (void)preferences.suppressWarning(u"id"_s);
                if (preferences.macroList()->expandMacro(u"JAN"_s, true) != u"January")
                    ++bad;
            }
        });
    }
    for (int i = 0; i < 600; ++i) {
        preferences.setDatabaseEncoding(i % 2 ? TextEncodings::ShiftJISCF : TextEncodings::UTF8);
        if (i % 2)
            preferences.appendSuppressDatabase(u"id"_s);
        else
            preferences.removeSuppressDatabase(u"id"_s);
        MacroList edited = MacroList::macroListWithList(*preferences.macroList());
        edited.setMacroWithName(u"x"_s + QString::number(i), u"value"_s);
        preferences.replaceMacroList(std::move(edited));
    }
    stop = true;
    for (std::thread &reader : readers)
        reader.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(preferences.macroList()->expandMacro(u"X599"_s, true), u"value");
    EXPECT_TRUE(preferences.macroDefinition().value(0).toStringList().contains(u"X599"_s));
}

TEST_F(PreferencesTest, commonMacroListFollowsTheStoredDefinition)
{
    auto preferences = loaded();
    MacroList *common = preferences->macroList();
    ASSERT_NE(common, nullptr);
    common->setMacroWithName(u"jpsj"_s, u"J. Phys. Soc. Jpn."_s);
    preferences->setDirty(false);
    preferences->macroListChanged();
    EXPECT_TRUE(preferences->dirty());
    EXPECT_EQ(preferences->macroDefinition().value(0).toStringList().last(), u"JPSJ"_s);
    ASSERT_TRUE(preferences->savePreferences());

    const auto again = loaded();
    ASSERT_NE(again->macroList(), nullptr);
    EXPECT_EQ(again->macroList()->expandMacro(u"JPSJ"_s, true), u"J. Phys. Soc. Jpn."_s);
}
