#include "storage/WrittenEntryReader.h"

#include "model/BibItem.h"
#include "storage/BibFileReader.h"
#include "storage/LocalDatabase.h"
#include "storage/LocalDatabaseProperties.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

using Entry = SaveVerifier::Entry;
using Batch = std::vector<BibItemPtr>;

constexpr size_t kBatchSize = 256;
constexpr size_t kBatchesWaiting = 4;

// The batches on their way from the reading thread to the taking one.
class Handover
{
public:
    // Waits while the taking side is kBatchesWaiting batches behind.
    void put(Batch batch)
    {
        std::unique_lock lock(m_mutex);
        m_hasRoom.wait(lock, [this] { return m_batches.size() < kBatchesWaiting; });
        m_batches.push_back(std::move(batch));
        m_hasBatch.notify_one();
    }
    void close()
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        m_hasBatch.notify_one();
    }
    // The next batch; absent once the reading side closed and all are taken.
    std::optional<Batch> next()
    {
        std::unique_lock lock(m_mutex);
        m_hasBatch.wait(lock, [this] { return !m_batches.empty() || m_closed; });
        if (m_batches.empty())
            return std::nullopt;
        Batch batch = std::move(m_batches.front());
        m_batches.pop_front();
        m_hasRoom.notify_one();
        return batch;
    }

private:
    std::mutex m_mutex; // guards m_batches and m_closed
    std::condition_variable m_hasRoom;
    std::condition_variable m_hasBatch;
    std::deque<Batch> m_batches;
    bool m_closed = false;
};

} // namespace

bool WrittenEntryReader::read(const QByteArray &bytes, quint32 encoding, LocalDatabase &scratch,
                              const Take &take)
{
    scratch.localProperties().setEncoding(encoding);
    Handover handover;
    bool readsInEncoding = true;
    std::thread reading([&] {
        const std::atomic<bool> stop{false};
        std::atomic<int> count{0};
        Batch batch;
        batch.reserve(kBatchSize);
        {
            BibFileReader reader(scratch, scratch.localProperties(), stop, count);
            reader.setEditFormsOnly(true);
            reader.setKeepText(false);
            reader.setEntrySink([&](BibItemPtr item) {
                batch.push_back(std::move(item));
                if (batch.size() < kBatchSize)
                    return;
                handover.put(std::move(batch));
                batch = Batch();
                batch.reserve(kBatchSize);
            });
            const BibFileContents contents = reader.readBytes(bytes);
            readsInEncoding = contents.encoding == encoding || bytes.size() <= 9;
        }
        if (!batch.empty())
            handover.put(std::move(batch));
        handover.close();
    });
    // The fields are taken on this thread, which has the lighter share of
    // the work; each item goes as soon as they are.
    while (std::optional<Batch> batch = handover.next()) {
        for (BibItemPtr &item : *batch) {
            take(Entry{item->bibType(), item->bibKey(), item->editForms()});
            item.reset();
        }
    }
    reading.join();
    return readsInEncoding;
}
