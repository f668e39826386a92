#pragma once
// The last kSize values of a measure, one a frame, for a plot of the last
// few seconds; a ring that allocates nothing.

namespace wobble {

class PlotHistory {
public:
    static constexpr int kSize = 300;  // five seconds at 60 frames a second

    void Add(float value) {
        values_[next_] = value;
        next_ = (next_ + 1) % kSize;
        if (count_ < kSize)
            ++count_;
    }
    // The values oldest first are values()[(Offset() + k) % kSize] for k < Count().
    const float* Values() const { return values_; }
    int Count() const { return count_; }
    int Offset() const { return count_ < kSize ? 0 : next_; }
    float Latest() const { return count_ == 0 ? 0.0f : values_[(next_ + kSize - 1) % kSize]; }

private:
    float values_[kSize] = {};
    int next_ = 0;
    int count_ = 0;
};

}  // namespace wobble
