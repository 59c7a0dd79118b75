// Icons and lists of small icons. A TIcon owns one icon handle and tells its holder
// when the picture changes; a TImageList keeps copies of the icons given to it at its
// own size (16 x 16) and hands out copies again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Control.h"

namespace qm {

class TIcon {
  public:
    TIcon() = default;
    ~TIcon();
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    // Null while the icon is empty.
    HICON Handle() const { return handle_; }
    bool Empty() const { return handle_ == nullptr; }
    // Takes over the handle (null empties the icon); the previous one is destroyed.
    void SetHandle(HICON icon);
    // A copy of the other icon's picture (empty when it is empty).
    void Assign(const TIcon& source);
    // A copy of a picture held elsewhere; the given handle stays its owner's.
    void AssignHandle(HICON icon);
    void Clear() { SetHandle(nullptr); }

    // 16 x 16 pictures from the module's resources or from an .ico file; raise
    // Exception when there is no such picture.
    void LoadFromResource(HINSTANCE instance, int id);
    void LoadFromFile(const std::string& path);

    // Told after every change of the picture.
    std::function<void(TIcon& sender)> OnChange;

  private:
    void Changed();

    HICON handle_ = nullptr;
};

class TImageList : public TComponent {
  public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    int Width() const { return 16; }
    int Height() const { return 16; }
    int Count() const { return static_cast<int>(icons_.size()); }

    // Adds a copy of the icon at the list's size and answers its index; raises
    // Exception for an empty icon.
    int AddIcon(const TIcon& icon);
    int AddIcon(HICON icon);
    // Puts a copy of image index into icon; an index outside the list empties it.
    void GetIcon(int index, TIcon& icon) const;
    void Delete(int index);
    void Clear();

    TNotifyEvent OnChange;

  private:
    void Changed();

    std::vector<HICON> icons_;
};

}  // namespace qm
