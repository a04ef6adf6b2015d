#include "storage/KeptFileWriter.h"

#include "core/TextEncodings.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "storage/BibFileWriter.h"
#include "storage/KeptText.h"
#include "storage/LocalDatabase.h"

#include <QHash>

#include <algorithm>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

bool sameMacros(const MacroList *current, const MacroList &read)
{
    if (!current)
        return read.count() == 0;
    return current->macroNameList() == read.macroNameList() &&
           current->macroDataForEdit() == read.macroDataForEdit();
}


bool endsWithLineBreak(QStringView text)
{
    return !text.isEmpty() && (text.back() == u'\n' || text.back() == u'\r');
}

// One step of the file: a block as read (with the text after it), an entry
// at a block's place (as read or in the writer's layout, then the text after
// the block), an entry in the writer's layout, or text made here.
struct Step
{
    enum Type : quint8
    {
        Block,
        EntryAtBlock,
        Entry,
        Literal,
    };
    Type type = Literal;
    qsizetype block = -1;
    const BibItem *item = nullptr;
    QString literal;
};

// Renders the steps; safe from several threads at once (reads only).
class Renderer
{
public:
    Renderer(const KeptText &kept, const KeptFileWriter::Options &options)
        : m_kept(kept), m_options(options),
          m_convertBreaks(options.lineFeed != kept.lineBreak()),
          m_checkEncoding(options.encoding != kept.encoding())
    {
    }

    QString kept(const QString &text) const
    {
        return m_convertBreaks ? KeptText::withLineBreaks(text, m_options.lineFeed) : text;
    }

    void render(const Step &step, QString &out) const
    {
        switch (step.type) {
        case Step::Block: {
            const KeptText::Block &block = m_kept.blocks()[static_cast<size_t>(step.block)];
            out += kept(m_kept.textOf(block));
            out += kept(m_kept.gapOf(block));
            break;
        }
        case Step::EntryAtBlock: {
            const KeptText::Block &block = m_kept.blocks()[static_cast<size_t>(step.block)];
            const QString text = m_kept.textOf(block);
            if (keepsText(*step.item, block, text)) {
                out += kept(text);
            } else {
                QString written = writerEntry(*step.item);
                // The text after the block follows, as it did the text read.
                const qsizetype lfs = 2 * m_options.lineFeed.size();
                if (written.size() >= lfs)
                    written.chop(lfs);
                out += written;
            }
            out += kept(m_kept.gapOf(block));
            break;
        }
        case Step::Entry:
            out += writerEntry(*step.item);
            break;
        case Step::Literal:
            out += step.literal;
            break;
        }
    }

private:
    QString writerEntry(const BibItem &item) const
    {
        QString text;
        item.appendBibItemString(text, m_options.attachments, m_options.lineFeed);
        return BibFileWriter::finishText(std::move(text), m_options.encoding);
    }

    bool keepsText(const BibItem &item, const KeptText::Block &block, const QString &text) const
    {
        if (item.isChangedSinceRead() || !block.hasText)
            return false;
        // A "file" field written otherwise than stored.
        if (m_options.attachments != -1 && !item.fieldDataForEdit(u"file"_s).isEmpty())
            return false;
        return !m_checkEncoding || KeptFileWriter::encodingCarries(text, m_options.encoding);
    }

    const KeptText &m_kept;
    const KeptFileWriter::Options &m_options;
    bool m_convertBreaks;
    bool m_checkEncoding;
};

} // namespace

bool KeptFileWriter::canWrite(const LocalDatabase &database)
{
    return database.keptText() != nullptr && !database.keptText()->damaged() &&
           database.allItems() != nullptr;
}

bool KeptFileWriter::encodingCarries(const QString &text, quint32 encoding)
{
    // The reader takes a yen mark for a backslash in the yen encodings.
    const bool yen = BibFileWriter::isYenEncoding(encoding);
    const QString meant = yen ? QString(text).replace(QChar(0x00A5), u'\\') : text;
    std::optional<QString> back =
        TextEncodings::decode(TextEncodings::encode(text, encoding), encoding);
    if (!back)
        return false;
    if (yen)
        back->replace(QChar(0x00A5), u'\\');
    return *back == meant;
}

QString KeptFileWriter::makeContentsText(const LocalDatabase &database,
                                         const QString &settingsBlock, const Options &options)
{
    const KeptText &kept = *database.keptText();
    const QString &lf = options.lineFeed;
    const Renderer renderer(kept, options);
    const bool commentsKept = database.commentList() == kept.comments();
    const bool preamblesKept = database.preambleList() == kept.preambles();
    const bool unreadKept = database.unreadTextList() == kept.unreadTexts();
    const bool macrosKept = sameMacros(database.macroList(), kept.macros());

    // The settings block, then the lists that changed, whole, in the writer's layout.
    QString head = settingsBlock;
    if (!commentsKept)
        head += BibFileWriter::commentsString(database.commentList(), lf);
    // Macros before preambles: BibTeX expands a macro a preamble uses only
    // when it is defined earlier.
    if (!macrosKept && database.macroList())
        head += database.macroList()->databaseMacroStringWithLF(lf);
    if (!preamblesKept)
        head += BibFileWriter::preamblesString(database.preambleList(), lf);
    head = BibFileWriter::finishText(std::move(head), options.encoding);
    const QString lead = renderer.kept(kept.lead());
    if (kept.hadSettingsBlock()) {
        // The line breaks after the old settings block come with the text after it.
        while (endsWithLineBreak(head))
            head.chop(1);
        if (!lead.startsWith(u'\n') && !lead.startsWith(u'\r'))
            head += lf;
    }
    head += lead;

    std::vector<Step> steps;
    steps.reserve(kept.blocks().size() + 8);
    steps.push_back({Step::Literal, -1, nullptr, head});
    bool endsWithBreak = endsWithLineBreak(head) || head.isEmpty();
    // Text made here starts on a line of its own.
    const auto separate = [&] {
        if (!endsWithBreak)
            steps.push_back({Step::Literal, -1, nullptr, lf});
        endsWithBreak = true;
    };
    const auto afterBlock = [&](const KeptText::Block &block) {
        const qsizetype gapEnd = kept.gapEndOf(block);
        endsWithBreak = gapEnd > block.begin ? endsWithLineBreak(kept.textAt(gapEnd - 1, gapEnd))
                                             : endsWithBreak;
    };

    static const BibItemList noItems;
    const BibItemList &items = database.allItems() ? *database.allItems() : noItems;
    QHash<const BibItem *, qsizetype> positions;
    positions.reserve(static_cast<qsizetype>(items.size()));
    for (size_t i = 0; i < items.size(); ++i)
        positions.insert(items[i].get(), static_cast<qsizetype>(i));
    qsizetype next = 0; // the first entry of the list not written yet
    const auto writeEntriesBefore = [&](qsizetype end) {
        for (; next < end; ++next) {
            separate();
            steps.push_back({Step::Entry, -1, items[static_cast<size_t>(next)].get(), {}});
        }
    };

    const std::vector<KeptText::Block> &blocks = kept.blocks();
    for (size_t k = 0; k < blocks.size(); ++k) {
        const KeptText::Block &block = blocks[k];
        const auto index = static_cast<qsizetype>(k);
        switch (block.kind) {
        case KeptText::Kind::Entry: {
            const std::shared_ptr<BibItem> item = block.item.lock();
            const auto at = item ? positions.constFind(item.get()) : positions.constEnd();
            if (at == positions.constEnd() || *at < next)
                continue; // removed (or moved before: written there)
            // Entries the list holds before this one (new or moved ones) first.
            writeEntriesBefore(*at);
            steps.push_back({Step::EntryAtBlock, index, item.get(), {}});
            next = *at + 1;
            afterBlock(block);
            break;
        }
        case KeptText::Kind::Comment:
            if (!commentsKept)
                continue;
            if (!block.hasText) {
                separate();
                steps.push_back({Step::Literal, -1, nullptr,
                                 BibFileWriter::finishText(
                                     BibFileWriter::commentsString(
                                         {database.commentList().value(block.index)}, lf),
                                     options.encoding)});
                continue;
            }
            steps.push_back({Step::Block, index, nullptr, {}});
            afterBlock(block);
            break;
        case KeptText::Kind::Preamble:
        case KeptText::Kind::Macro:
        case KeptText::Kind::Unread: {
            const bool same = block.kind == KeptText::Kind::Preamble ? preamblesKept
                              : block.kind == KeptText::Kind::Macro  ? macrosKept
                                                                     : unreadKept;
            if (!same)
                continue;
            steps.push_back({Step::Block, index, nullptr, {}});
            afterBlock(block);
            break;
        }
        }
    }
    writeEntriesBefore(static_cast<qsizetype>(items.size()));
    if (!unreadKept) {
        // As the writer writes them: an empty comment block between two
        // pieces keeps them apart.
        bool first = true;
        for (const QString &unread : database.unreadTextList()) {
            separate();
            const QString apart = first ? QString() : u"@COMMENT {}"_s + lf;
            steps.push_back({Step::Literal, -1, nullptr,
                             BibFileWriter::finishText(apart + unread + lf + lf, options.encoding)});
            first = false;
        }
    }

    // The steps are independent of each other: a large file is rendered in
    // parts on several threads and the parts joined in order.
    constexpr size_t kStepsPerPart = 2000;
    const size_t cores = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    const size_t parts = std::clamp<size_t>(steps.size() / kStepsPerPart, 1, cores);
    std::vector<QString> texts(parts);
    const auto renderPart = [&](size_t part) {
        const size_t begin = steps.size() * part / parts;
        const size_t end = steps.size() * (part + 1) / parts;
        QString &text = texts[part];
        text.reserve(kept.textSize() / static_cast<qsizetype>(parts) + 1024);
        for (size_t i = begin; i < end; ++i)
            renderer.render(steps[i], text);
    };
    std::vector<std::thread> helpers;
    for (size_t part = 1; part < parts; ++part)
        helpers.emplace_back(renderPart, part);
    renderPart(0);
    for (std::thread &helper : helpers)
        helper.join();
    steps.clear();

    QString text;
    if (parts == 1) {
        text = std::move(texts.front());
    } else {
        qsizetype total = 0;
        for (const QString &part : texts)
            total += part.size();
        text.reserve(total);
        for (QString &part : texts) {
            text += part;
            part = QString();
        }
    }
    return text;
}
