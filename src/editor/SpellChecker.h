#pragma once

#include "tex/SpellingWords.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringConverter>
#include <QStringList>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class Hunspell;
class QMenu;

// The editor's spelling dictionary: Hunspell with the dictionary of the
// system's language (en_US when there is none for it), loaded on a thread of
// its own the first time a word is checked, so that typing never waits for
// it. Each word is looked up once; the answers are cached. Without a
// dictionary every word counts as correct and nothing is underlined. One
// global object for the window (globalChecker), used on the main thread.
class SpellChecker : public QObject
{
    Q_OBJECT

public:
    SpellChecker(const QStringList &folders, const QString &locale, QObject *parent = nullptr);
    ~SpellChecker() override;
    SpellChecker(const SpellChecker &) = delete;
    SpellChecker &operator=(const SpellChecker &) = delete;

    // The checker of the window, created on first use for the system's
    // language; a checker installed with install() instead, while installed.
    static SpellChecker *globalChecker();
    static void install(SpellChecker *checker);

    // Where Debian installs Hunspell dictionaries.
    static QStringList defaultFolders();
    // The .dic file for `locale` ("de_CH"): that one, another of its language
    // ("de_DE"), or en_US; empty when none of them is in `folders`.
    static QString findDictionary(const QStringList &folders, const QString &locale);
    // Whether the editor checks the spelling of `field` as it is typed.
    static bool checksField(const QString &field);

    // True once the dictionary is loaded; the first call starts loading.
    bool isReady();
    // Waits until loading has finished (benchmarks, tests).
    void waitUntilLoaded();
    const QString &dictionaryPath() const { return m_dictionaryPath; }

    bool isCorrect(const QString &word);
    QStringList suggestions(const QString &word);
    // The word counts as correct from now on (for this session).
    void ignoreWord(const QString &word);

    // The words of `text` the dictionary does not know (none before it is
    // loaded).
    std::vector<SpellingWords::Word> misspelledWords(QStringView text);
    // The misspelt word at `position` of `text`, if there is one.
    std::optional<SpellingWords::Word> misspelledWordAt(QStringView text, qsizetype position);
    // Puts the suggestions for `word` at the top of `menu`, and "Ignore
    // Spelling"; `replace` takes the chosen suggestion, `recheck` runs when
    // the word is ignored.
    void addSuggestions(QMenu *menu, const SpellingWords::Word &word,
                        const std::function<void(const QString &)> &replace,
                        const std::function<void()> &recheck);

Q_SIGNALS:
    // The dictionary is loaded: shown text should be checked again.
    void ready();

private:
    void startLoading();
    void finishLoading();
    std::string encoded(const QString &word, bool &ok);

    QString m_dictionaryPath;
    std::unique_ptr<Hunspell> m_hunspell;
    std::future<std::unique_ptr<Hunspell>> m_loading;
    bool m_started = false;
    QStringEncoder m_encoder;
    QStringDecoder m_decoder;
    QHash<QString, bool> m_cache;
};
