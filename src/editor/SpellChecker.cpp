#include "editor/SpellChecker.h"

#include "core/Texts.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QPointer>

#include <hunspell.hxx>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QPointer<SpellChecker> g_installed;

// Scripts written without spaces between words: a dictionary cannot check
// their runs of letters.
bool unspacedScript(QChar c)
{
    switch (c.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
        return true;
    default:
        return false;
    }
}

} // namespace

SpellChecker::SpellChecker(const QStringList &folders, const QString &locale, QObject *parent)
    : QObject(parent), m_dictionaryPath(findDictionary(folders, locale))
{}

SpellChecker::~SpellChecker()
{
    if (m_loading.valid())
        m_loading.wait();
}

SpellChecker *SpellChecker::globalChecker()
{
    if (g_installed)
        return g_installed;
    static QPointer<SpellChecker> global;
    if (!global)
        global = new SpellChecker(defaultFolders(), QLocale::system().name(),
                                  QCoreApplication::instance());
    return global;
}

void SpellChecker::install(SpellChecker *checker)
{
    g_installed = checker;
}

QStringList SpellChecker::defaultFolders()
{
    return {u"/usr/share/hunspell"_s, u"/usr/share/myspell"_s, u"/usr/share/myspell/dicts"_s};
}

QString SpellChecker::findDictionary(const QStringList &folders, const QString &locale)
{
    const QString language = locale.section(u'_', 0, 0);
    const auto usable = [](const QString &dic) {
        return QFileInfo::exists(dic) && QFileInfo::exists(dic.chopped(4) + u".aff"_s);
    };
    for (const QString &name : {locale, language}) {
        for (const QString &folder : folders) {
            if (!name.isEmpty() && usable(folder + u'/' + name + u".dic"_s))
                return folder + u'/' + name + u".dic"_s;
        }
    }
    for (const QString &folder : folders) {
        const QStringList others =
            QDir(folder).entryList({language + u"_*.dic"_s}, QDir::Files, QDir::Name);
        for (const QString &other : others) {
            if (!language.isEmpty() && usable(folder + u'/' + other))
                return folder + u'/' + other;
        }
    }
    if (locale != u"en_US")
        return findDictionary(folders, u"en_US"_s);
    return QString();
}

bool SpellChecker::checksField(const QString &field)
{
    static const QStringList fields = {u"title"_s,  u"booktitle"_s, u"howpublished"_s,
                                       u"series"_s, u"type"_s,      u"note"_s,
                                       u"annote"_s, u"memo"_s,      u"address"_s};
    return fields.contains(field);
}

bool SpellChecker::isReady()
{
    if (!m_started)
        startLoading();
    return m_hunspell != nullptr;
}

void SpellChecker::startLoading()
{
    m_started = true;
    if (m_dictionaryPath.isEmpty())
        return;
    const QByteArray dic = QFile::encodeName(m_dictionaryPath);
    const QByteArray aff = QFile::encodeName(m_dictionaryPath.chopped(4) + u".aff"_s);
    m_loading = std::async(std::launch::async, [this, dic, aff] {
        auto hunspell = std::make_unique<Hunspell>(aff.constData(), dic.constData());
        QMetaObject::invokeMethod(
            this, [this] { finishLoading(); }, Qt::QueuedConnection);
        return hunspell;
    });
}

void SpellChecker::finishLoading()
{
    if (!m_loading.valid())
        return;
    std::unique_ptr<Hunspell> hunspell = m_loading.get();
    const QString encoding = QString::fromStdString(hunspell->get_dict_encoding());
    std::optional<QStringConverter::Encoding> known = QStringConverter::encodingForName(
        encoding.compare(u"ISO8859-1", Qt::CaseInsensitive) == 0 ? "ISO-8859-1"
                                                                 : encoding.toLatin1().constData());
    if (!known) {
        qWarning("The spelling dictionary %s uses the encoding %s, which is not supported",
                 qPrintable(m_dictionaryPath), qPrintable(encoding));
        return;
    }
    m_encoder = QStringEncoder(*known);
    m_decoder = QStringDecoder(*known);
    m_hunspell = std::move(hunspell);
    m_cache.clear();
    Q_EMIT ready();
}

void SpellChecker::waitUntilLoaded()
{
    if (!m_started)
        startLoading();
    finishLoading();
}

std::string SpellChecker::encoded(const QString &word, bool &ok)
{
    const QByteArray bytes = m_encoder.encode(word);
    ok = !m_encoder.hasError();
    m_encoder.resetState();
    return bytes.toStdString();
}

bool SpellChecker::isCorrect(const QString &word)
{
    if (!isReady() || word.isEmpty())
        return true;
    const auto cached = m_cache.constFind(word);
    if (cached != m_cache.constEnd())
        return *cached;
    bool correct = true;
    if (std::none_of(word.begin(), word.end(), unspacedScript)) {
        bool ok = false;
        const std::string bytes = encoded(word, ok);
        // A word the dictionary cannot even write is not its to judge.
        correct = !ok || m_hunspell->spell(bytes);
    }
    m_cache.insert(word, correct);
    return correct;
}

QStringList SpellChecker::suggestions(const QString &word)
{
    QStringList out;
    if (!isReady())
        return out;
    bool ok = false;
    const std::string bytes = encoded(word, ok);
    if (!ok)
        return out;
    for (const std::string &suggestion : m_hunspell->suggest(bytes)) {
        out << m_decoder.decode(QByteArray::fromStdString(suggestion));
        m_decoder.resetState();
    }
    return out;
}

void SpellChecker::ignoreWord(const QString &word)
{
    m_cache.insert(word, true);
    if (isReady()) {
        bool ok = false;
        const std::string bytes = encoded(word, ok);
        if (ok)
            m_hunspell->add(bytes);
    }
}

std::vector<SpellingWords::Word> SpellChecker::misspelledWords(QStringView text)
{
    std::vector<SpellingWords::Word> wrong;
    if (!isReady())
        return wrong;
    for (SpellingWords::Word &word : SpellingWords::find(text)) {
        if (!isCorrect(word.text))
            wrong.push_back(std::move(word));
    }
    return wrong;
}

std::optional<SpellingWords::Word> SpellChecker::misspelledWordAt(QStringView text,
                                                                  qsizetype position)
{
    for (SpellingWords::Word &word : misspelledWords(text)) {
        if (position >= word.start && position <= word.start + word.length)
            return std::move(word);
    }
    return std::nullopt;
}

void SpellChecker::addSuggestions(QMenu *menu, const SpellingWords::Word &word,
                                  const std::function<void(const QString &)> &replace,
                                  const std::function<void()> &recheck)
{
    QAction *first = menu->actions().value(0);
    QList<QAction *> added;
    const QStringList suggested = suggestions(word.text).mid(0, 8);
    for (const QString &suggestion : suggested) {
        auto *action = new QAction(suggestion, menu);
        connect(action, &QAction::triggered, menu, [replace, suggestion] { replace(suggestion); });
        added << action;
    }
    if (suggested.isEmpty()) {
        auto *none = new QAction(Texts::text(u"Editor_NoSuggestions"), menu);
        none->setEnabled(false);
        added << none;
    }
    auto *ignore = new QAction(Texts::text(u"Editor_IgnoreSpelling"), menu);
    const QString text = word.text;
    connect(ignore, &QAction::triggered, this, [this, text, recheck] {
        ignoreWord(text);
        recheck();
    });
    added << ignore;
    auto *separator = new QAction(menu);
    separator->setSeparator(true);
    added << separator;
    menu->insertActions(first, added);
}
