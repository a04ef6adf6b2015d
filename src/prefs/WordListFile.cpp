#include "prefs/WordListFile.h"

#include "core/TextEncodings.h"
#include "core/Texts.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isWordChar(QChar c)
{
    return !c.isPunct() && !c.isSpace() && !c.isNull();
}

} // namespace

QString WordListFile::normalizedWord(QStringView word, Category category)
{
    const QString trimmed = word.trimmed().toString();
    if (trimmed.isEmpty())
        return {};
    if (category == ProperNouns)
        return trimmed.left(1).toUpper() + trimmed.mid(1).toLower();
    return trimmed.toLower();
}

QStringList WordListFile::sortedWords(QStringList words)
{
    QCollator collator{QLocale()};
    std::sort(words.begin(), words.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    return words;
}

QByteArray WordListFile::exportBytes(const QStringList &words)
{
    QByteArray bytes;
    for (const QString &word : sortedWords(words)) {
        bytes += word.toUtf8();
        bytes += '\n';
    }
    return bytes;
}

bool WordListFile::exportWords(const QStringList &words, const QString &path, QString &errorKey)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        errorKey = QF_KEY("ExportErrorRemove");
        return false;
    }
    // The new file replaces the old one only once it is complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(exportBytes(words)) < 0 || !file.commit()) {
        errorKey = QF_KEY("ExportErrorWrite");
        return false;
    }
    errorKey.clear();
    return true;
}

AlertRequest WordListFile::exportErrorAlert(const QString &errorKey, const QString &path)
{
    return {
        Texts::text(u"ExportError"), Texts::format(errorKey, {path}), Texts::text(u"OK"), {}, {}};
}

std::optional<QString> WordListFile::decodeWordFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        if (auto text = TextEncodings::decode(bytes, TextEncodings::UTF16))
            return text;
    }
    // Mac OS Roman decodes any bytes at all, so UTF-8 must be tried first.
    for (const quint32 code : {quint32(TextEncodings::UTF8), quint32(TextEncodings::MacOSRoman),
                               quint32(TextEncodings::ShiftJIS)}) {
        if (auto text = TextEncodings::decode(bytes, code); text && !text->isEmpty())
            return text;
    }
    return std::nullopt;
}

QStringList WordListFile::wordsOfText(QStringView text)
{
    QStringList words;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && !isWordChar(text[i]))
            ++i;
        qsizetype end = i;
        while (end < text.size() && isWordChar(text[end]))
            ++end;
        if (end > i)
            words << text.mid(i, end - i).toString();
        i = end;
    }
    return words;
}

WordListFile::ImportResult WordListFile::importText(const QStringList &list, QStringView text,
                                                    Category category)
{
    ImportResult result;
    result.readable = true;
    QSet<QString> present(list.begin(), list.end());
    QStringList words = list;
    for (const QString &raw : wordsOfText(text)) {
        const QString word = normalizedWord(raw, category);
        if (word.isEmpty())
            continue;
        if (present.contains(word)) {
            ++result.ignored;
            continue;
        }
        present.insert(word);
        words << word;
        result.added << word;
    }
    result.words = sortedWords(words);
    return result;
}

WordListFile::ImportResult WordListFile::importWords(const QStringList &list, const QString &path,
                                                     Category category)
{
    QFile file(path);
    std::optional<QString> text;
    if (file.open(QIODevice::ReadOnly))
        text = decodeWordFile(file.readAll());
    if (!text) {
        ImportResult result;
        result.words = sortedWords(list);
        return result;
    }
    return importText(list, *text, category);
}

AlertRequest WordListFile::importSummaryAlert(const ImportResult &result)
{
    QString message;
    if (result.added.isEmpty())
        message = Texts::text(u"ImportWordsNoteMessage0");
    else if (result.added.size() == 1)
        message = Texts::format(u"ImportWordsNoteMessage1", {result.added.front()});
    else
        message = Texts::format(u"ImportWordsNoteMessage", {QString::number(result.added.size())});
    if (result.ignored == 1)
        message += Texts::text(u"ImportWordsNoteIgnored1");
    else if (result.ignored > 1)
        message += Texts::format(u"ImportWordsNoteIgnored", {QString::number(result.ignored)});
    return {Texts::text(u"ImportWordsNote"), message, Texts::text(u"OK"), {}, {}};
}
