#include "incident/mix.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <numeric>

#include "incident/limiter.h"

namespace voice::incident {
namespace {

// 6 dB of headroom: two full-scale voices together still pass the limiter mostly untouched.
constexpr float kHeadroom = 0.5f;
// Under full scale, so that nothing that plays the file rounds a peak into a clip.
constexpr float kCeiling = 0.944f; // -0.5 dBFS
constexpr double kLookaheadSeconds = 0.005;
constexpr double kReleaseSeconds = 0.25;

// samples added into out (interleaved outputs) at each output's gain; the loops the
// layouts need written out so that the compiler vectorises them.
void AddInto(float* out, std::size_t outputs, std::span<const float> samples,
             const std::vector<float>& gains) {
    const std::size_t n = samples.size();
    const float* in = samples.data();
    if (outputs == 2) {
        const float left = gains[0], right = gains[1];
        for (std::size_t i = 0; i < n; ++i) {
            out[2 * i] += in[i] * left;
            out[2 * i + 1] += in[i] * right;
        }
        return;
    }
    for (std::size_t o = 0; o < outputs; ++o) {
        const float gain = gains[o];
        if (gain == 0.0f)
            continue;
        if (outputs == 1)
            for (std::size_t i = 0; i < n; ++i)
                out[i] += in[i] * gain;
        else
            for (std::size_t i = 0; i < n; ++i)
                out[i * outputs + o] += in[i] * gain;
    }
}

} // namespace

LaneGains GainsFor(Layout layout, std::size_t lanes) {
    LaneGains result;
    result.outputs = layout == Layout::Mono     ? 1
                     : layout == Layout::Stereo ? 2
                                                : static_cast<int>(std::max<std::size_t>(lanes, 1));
    for (std::size_t lane = 0; lane < lanes; ++lane) {
        std::vector<float> g(static_cast<std::size_t>(result.outputs), 0.0f);
        if (layout == Layout::Mono) {
            g[0] = kHeadroom;
        } else if (layout == Layout::Stereo) {
            const double angle = lanes < 2 ? std::numbers::pi / 4
                                           : std::numbers::pi / 2 * static_cast<double>(lane) /
                                                 static_cast<double>(lanes - 1);
            g[0] = kHeadroom * static_cast<float>(std::cos(angle));
            g[1] = kHeadroom * static_cast<float>(std::sin(angle));
        } else {
            g[lane] = 1.0f;
        }
        result.gains.push_back(std::move(g));
    }
    return result;
}

struct BlockMixer::Sounding {
    std::size_t item;
    std::unique_ptr<SampleSource> source;
    std::int64_t skip; // still to be read and dropped
    std::int64_t left; // frames still to add
    bool whole = true;
};

BlockMixer::BlockMixer(const LaneGains& gains, int rate, ItemOpener& opener)
    : gains_(gains), opener_(opener), block_(std::max(rate, 1)),
      limiter_(std::make_unique<Limiter>(gains.outputs,
                                         static_cast<std::size_t>(rate * kLookaheadSeconds),
                                         kCeiling, static_cast<float>(1.0 / (rate * kReleaseSeconds)))) {}

BlockMixer::~BlockMixer() = default;

void BlockMixer::Add(std::size_t id, const MixItem& item) {
    waiting_.emplace_back(id, item);
}

void BlockMixer::Mix(std::int64_t n, std::vector<float>& out) {
    const auto outputs = static_cast<std::size_t>(gains_.outputs);
    const std::int64_t pos = position_;
    mix_.assign(static_cast<std::size_t>(n) * outputs, 0.0f);
    for (; next_ < waiting_.size() && waiting_[next_].second.place.at < pos + n; ++next_) {
        const auto& [id, item] = waiting_[next_];
        if (item.place.frames <= 0)
            continue;
        sounding_.push_back({next_, opener_.Open(id), item.place.skip, item.place.frames});
    }
    for (Sounding& s : sounding_) {
        const MixItem& item = waiting_[s.item].second;
        const std::int64_t offset = std::max<std::int64_t>(item.place.at - pos, 0);
        const std::int64_t count = std::min(n - offset, s.left);
        samples_.resize(static_cast<std::size_t>(std::max(count, std::min(s.skip, block_))));
        std::size_t got = 0;
        if (s.source) {
            while (s.skip > 0 && s.whole) {
                const auto want = static_cast<std::size_t>(
                    std::min<std::int64_t>(s.skip, static_cast<std::int64_t>(samples_.size())));
                const std::size_t read = s.source->Read(std::span(samples_).first(want));
                s.whole = read == want;
                s.skip -= static_cast<std::int64_t>(read);
                if (!s.whole)
                    s.skip = 0;
            }
            if (s.whole)
                got = s.source->Read(std::span(samples_).first(static_cast<std::size_t>(count)));
        }
        if (got < static_cast<std::size_t>(count))
            s.whole = false;
        AddInto(mix_.data() + static_cast<std::size_t>(offset) * outputs, outputs,
                std::span(samples_).first(got), gains_.gains[item.lane]);
        s.left -= count;
    }
    std::erase_if(sounding_, [&](Sounding& s) {
        if (s.left > 0)
            return false;
        opener_.Closed(waiting_[s.item].first, s.whole && s.source != nullptr);
        return true;
    });
    position_ += n;
    limiter_->Process(mix_, out);
}

void BlockMixer::Finish(std::vector<float>& out) {
    limiter_->Finish(out);
}

bool MixIncident(std::span<const MixItem> items, const LaneGains& gains, std::int64_t frames,
                 int rate, MixClient& client) {
    std::vector<std::size_t> order(items.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return items[a].place.at < items[b].place.at;
    });
    BlockMixer mixer(gains, rate, client);
    for (const std::size_t i : order)
        mixer.Add(i, items[i]);
    const auto outputs = static_cast<std::size_t>(gains.outputs);
    const std::int64_t block = std::max(rate, 1);
    std::vector<float> limited;
    std::size_t written = 0; // samples handed on
    const std::size_t total = static_cast<std::size_t>(frames) * outputs;
    auto flush = [&] {
        // The limiter's delay: the file ends where the mix did.
        limited.resize(std::min(limited.size(), total - written));
        written += limited.size();
        client.Write(limited);
        limited.clear();
    };
    for (std::int64_t pos = 0; pos < frames; pos += block) {
        if (!client.Continue())
            return false;
        mixer.Mix(std::min(block, frames - pos), limited);
        flush();
    }
    mixer.Finish(limited);
    flush();
    return true;
}

namespace {

// Rounded by truncating a positive value: a conversion the compiler vectorises.
inline int Rounded(float sample) {
    return static_cast<int>(sample * 32767.0f + 32768.5f) - 32768;
}

// The pointers must not alias (bytes could alias the floats), or the loop would not
// vectorise.
void LittleEndian(const float* __restrict in, std::size_t n, std::uint8_t* __restrict out) {
    for (std::size_t i = 0; i < n; ++i) {
        const auto v = static_cast<std::uint16_t>(Rounded(in[i]));
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(out + 2 * i, &v, 2);
        } else {
            out[2 * i] = static_cast<std::uint8_t>(v);
            out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    }
}

} // namespace

void Quantise(std::span<const float> in, std::vector<std::int16_t>& out) {
    out.resize(in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        out[i] = static_cast<std::int16_t>(Rounded(in[i]));
}

void QuantiseLittleEndian(std::span<const float> in, std::uint8_t* out) {
    LittleEndian(in.data(), in.size(), out);
}

} // namespace voice::incident
