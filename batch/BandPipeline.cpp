#include "batch/BandPipeline.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace masume::batch {

int bandRows(int width)
{
    const size_t rowBytes = std::max<size_t>(size_t(width) * 3, 1);
    return int(std::max<size_t>(BandBytes / rowBytes / 16, 1) * 16);
}

uint64_t bandPassBytes(int width, int threads)
{
    const uint64_t band = uint64_t(bandRows(width)) * uint64_t(width) * 3;
    return band * (threads > 1 ? RingBands : 1) + band / 3;
}

namespace {

// The bands of one picture.
struct Bands
{
    int height, rows, count;
    ptrdiff_t stride;

    Bands(const PictureStream &in)
        : height(in.height())
        , rows(bandRows(in.width()))
        , count((in.height() + rows - 1) / rows)
        , stride(ptrdiff_t(in.width()) * 3)
    {
    }
    int top(int band) const { return band * rows; }
    int rowsOf(int band) const { return std::min(rows, height - top(band)); }
    size_t bytes() const { return size_t(rows) * size_t(stride); }
};

void workAndEncode(const BandPass &pass, const Bands &bands, int band, uint8_t *rows)
{
    const int top = bands.top(band), count = bands.rowsOf(band);
    if (pass.work)
        pass.work(rows, bands.stride, top, count);
    pass.out->writeRows(top, rows, bands.stride, count);
}

void passOnOneThread(const BandPass &pass, const Bands &bands)
{
    const std::unique_ptr<uint8_t[]> rows(new uint8_t[bands.bytes()]);
    for (int band = 0; band < bands.count; ++band) {
        pass.in->readRows(rows.get(), bands.stride, bands.rowsOf(band));
        workAndEncode(pass, bands, band, rows.get());
    }
}

// The ring between the reading thread and the calling thread: band b lives
// in slot b % RingBands from its reading until it is encoded.
class Ring
{
public:
    explicit Ring(const Bands &bands)
        : m_bands(bands)
    {
        for (auto &slot : m_slots)
            slot.reset(new uint8_t[bands.bytes()]);
    }

    uint8_t *slot(int band) { return m_slots[size_t(band % RingBands)].get(); }

    // The reading side: waits for band's slot to be free; false when the
    // calling side stopped.
    bool waitForSlot(int band)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stopped || band - m_encoded < RingBands; });
        return !m_stopped;
    }
    void read(int band)
    {
        std::lock_guard lock(m_mutex);
        m_read = band + 1;
        m_changed.notify_all();
    }
    void failReading(std::exception_ptr failure)
    {
        std::lock_guard lock(m_mutex);
        m_failure = failure;
        m_changed.notify_all();
    }

    // The calling side: waits for band to be read; raises the reading
    // side's error when it stopped before.
    void waitForBand(int band)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_failure || m_read > band; });
        if (m_read <= band)
            std::rethrow_exception(m_failure);
    }
    void encoded(int band)
    {
        std::lock_guard lock(m_mutex);
        m_encoded = band + 1;
        m_changed.notify_all();
    }
    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }

private:
    const Bands &m_bands;
    std::unique_ptr<uint8_t[]> m_slots[RingBands];
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_read = 0; // bands read so far
    int m_encoded = 0; // bands encoded so far
    bool m_stopped = false;
    std::exception_ptr m_failure;
};

void readAhead(const BandPass &pass, const Bands &bands, Ring &ring)
{
    try {
        for (int band = 0; band < bands.count; ++band) {
            if (!ring.waitForSlot(band))
                return;
            pass.in->readRows(ring.slot(band), bands.stride, bands.rowsOf(band));
            ring.read(band);
        }
    } catch (...) {
        ring.failReading(std::current_exception());
    }
}

void passOnTwoThreads(const BandPass &pass, const Bands &bands)
{
    Ring ring(bands);
    std::thread reader;
    try {
        reader = std::thread(readAhead, std::cref(pass), std::cref(bands), std::ref(ring));
    } catch (const std::system_error &) {
        // No thread to be had (a limit on processes): the same on one.
        passOnOneThread(pass, bands);
        return;
    }
    try {
        for (int band = 0; band < bands.count; ++band) {
            ring.waitForBand(band);
            workAndEncode(pass, bands, band, ring.slot(band));
            ring.encoded(band);
        }
    } catch (...) {
        ring.stop();
        reader.join();
        throw;
    }
    reader.join();
}

} // namespace

void passBands(const BandPass &pass)
{
    const Bands bands(*pass.in);
    if (bands.count > 0) {
        if (pass.threads > 1 && bands.count > 1)
            passOnTwoThreads(pass, bands);
        else
            passOnOneThread(pass, bands);
    }
    pass.out->finish();
}

} // namespace masume::batch
