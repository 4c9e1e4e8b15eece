#pragma once
// Straightforward models of the converter's stage kinds, written from their definitions
// with no polyphase tricks: the whole stream is kept and every output is recomputed
// from it, so they are slow and obviously right.
#include <cstdint>
#include <vector>

#include "resample/FilterTables.h"

namespace qx::testing {

// Upsample by L with zeros, filter with h, keep every M-th sample; the stream starts
// with silence. Each call with K iterations takes K*M inputs and yields K*L outputs.
class ReferenceMultirateFir {
public:
    ReferenceMultirateFir(const float* h, int n, int up, int down, float scale)
        : h_(h, h + n), up_(up), down_(down), scale_(scale) {}

    std::vector<float> Run(const float* in, uint32_t iterations) {
        stream_.insert(stream_.end(), in, in + iterations * down_);
        std::vector<float> out;
        for (uint32_t k = 0; k < iterations * up_; ++k, ++produced_) {
            const int64_t q = produced_ * down_;
            float acc = 0.0f;
            for (int64_t t = 0; t < static_cast<int64_t>(h_.size()); ++t) {
                const int64_t u = q - t;
                const float x = (u >= 0 && u % up_ == 0) ? stream_[u / up_] : 0.0f;
                acc += h_[t] * x;
            }
            out.push_back(acc * scale_);
        }
        return out;
    }

private:
    std::vector<float> h_;
    int64_t up_, down_;
    float scale_;
    std::vector<float> stream_;
    int64_t produced_ = 0;
};

// The ring-buffer decimator by 3: one output per started group of three inputs.
class ReferenceDown3 {
public:
    std::vector<float> Run(const float* in, uint32_t n) {
        std::vector<float> out;
        for (uint32_t j = 0; j < n; j += 3) {
            for (uint32_t k = j; k < j + 3 && k < n; ++k) {
                pos_ = (pos_ + 1) & 255;
                ring_[pos_] = in[k];
            }
            float acc = 0.0f;
            for (int t = 0; t <= 70; ++t) acc += ring_[(pos_ - t) & 255] * filters::ThirdBand71[t];
            out.push_back(acc);
        }
        return out;
    }

private:
    float ring_[256] = {};
    uint32_t pos_ = 0;
};

// The phase-counter loops of the 160/147 stages, with their kept history.
class ReferencePoly {
public:
    explicit ReferencePoly(bool up) : up_(up) {}

    std::vector<float> Run(const float* in, uint32_t n) {
        const int taps = up_ ? 20 : 24;
        std::vector<float> x(history_.begin(), history_.end());
        x.insert(x.end(), in, in + n);
        const int64_t base = static_cast<int64_t>(history_.size());  // x[base + i] is input i
        std::vector<float> out;
        int64_t i = 0;
        while (i < n) {
            float acc = 0.0f;
            for (int t = 0; t < taps; ++t) {
                const float c = up_ ? filters::Poly44to48[phase_][t] : filters::Poly48to44[phase_][t];
                acc += c * x[base + i - t];
            }
            out.push_back(acc);
            if (up_) {
                phase_ += 147;
                if (phase_ >= 160) phase_ -= 160, ++i;
            } else {
                ++i;
                phase_ += 13;
                if (phase_ >= 147) phase_ -= 147, ++i;
            }
        }
        history_.assign(x.end() - 24, x.end());
        return out;
    }

private:
    bool up_;
    uint32_t phase_ = 0;
    std::vector<float> history_ = std::vector<float>(24, 0.0f);
};

}  // namespace qx::testing
