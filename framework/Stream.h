// Byte streams: a position in a sequence of bytes that can be read and written.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

class TStream {
  public:
    virtual ~TStream() = default;
    virtual std::int64_t Size() const = 0;
    virtual std::int64_t Position() const = 0;
    virtual void SetPosition(std::int64_t position) = 0;
    // Return how many bytes were moved.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
};

// A stream over bytes held in memory; writing past the end extends it.
class TMemoryStream : public TStream {
  public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }
    std::int64_t Position() const override { return position_; }
    void SetPosition(std::int64_t position) override { position_ = position < 0 ? 0 : position; }
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    const std::string& Bytes() const { return data_; }

  private:
    std::string data_;
    std::int64_t position_ = 0;
};

}  // namespace qm
