// String lists: the abstract list that components exchange lines through, and the
// plain list that holds them.
#pragma once

#include <string>
#include <vector>

namespace qm {

class TStrings {
  public:
    virtual ~TStrings() = default;
    virtual int Count() const = 0;
    virtual const std::string& Get(int index) const = 0;
    virtual void Put(int index, std::string s) = 0;
    virtual void Insert(int index, std::string s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    int Add(std::string s) {
        const int index = Count();
        Insert(index, std::move(s));
        return index;
    }
};

// Index errors raise Exception with ListIndexErrorMessage.
class TStringList : public TStrings {
  public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> lines) : items_(lines) {}
    int Count() const override { return static_cast<int>(items_.size()); }
    const std::string& Get(int index) const override;
    void Put(int index, std::string s) override;
    void Insert(int index, std::string s) override;
    void Delete(int index) override;
    void Clear() override { items_.clear(); }
    const std::vector<std::string>& Items() const { return items_; }

  private:
    void Check(int index, int limit) const;
    std::vector<std::string> items_;
};

}  // namespace qm
