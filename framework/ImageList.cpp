#include "framework/ImageList.h"

#include "base/Exception.h"
#include "framework/Messages.h"

namespace qm {

namespace {

constexpr int kSize = 16;

HICON CopyIconAt(HICON icon, int width, int height) {
    if (!icon) return nullptr;
    return static_cast<HICON>(CopyImage(icon, IMAGE_ICON, width, height, 0));
}

}  // namespace

// TIcon

TIcon::~TIcon() {
    // The holder is going too: no change to tell.
    if (handle_) DestroyIcon(handle_);
}

void TIcon::SetHandle(HICON icon) {
    if (icon == handle_) return;
    if (handle_) DestroyIcon(handle_);
    handle_ = icon;
    Changed();
}

void TIcon::Assign(const TIcon& source) {
    if (&source == this) return;
    AssignHandle(source.handle_);
}

void TIcon::AssignHandle(HICON icon) {
    SetHandle(CopyIconAt(icon, 0, 0));
}

void TIcon::LoadFromResource(HINSTANCE instance, int id) {
    auto* icon = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, kSize, kSize, LR_DEFAULTCOLOR));
    if (!icon) throw Exception(IconNotLoadedMessage(std::to_string(id)));
    SetHandle(icon);
}

void TIcon::LoadFromFile(const std::string& path) {
    auto* icon = static_cast<HICON>(
        LoadImageA(nullptr, path.c_str(), IMAGE_ICON, kSize, kSize, LR_LOADFROMFILE));
    if (!icon) throw Exception(IconNotLoadedMessage(path));
    SetHandle(icon);
}

void TIcon::Changed() {
    if (OnChange) OnChange(*this);
}

// TImageList

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() {
    for (HICON icon : icons_)
        DestroyIcon(icon);
}

int TImageList::AddIcon(const TIcon& icon) {
    return AddIcon(icon.Handle());
}

int TImageList::AddIcon(HICON icon) {
    HICON copy = CopyIconAt(icon, Width(), Height());
    if (!copy) throw Exception(kEmptyIconMessage);
    icons_.push_back(copy);
    Changed();
    return Count() - 1;
}

void TImageList::GetIcon(int index, TIcon& icon) const {
    if (index < 0 || index >= Count()) {
        icon.Clear();
        return;
    }
    icon.AssignHandle(icons_[static_cast<std::size_t>(index)]);
}

void TImageList::Delete(int index) {
    if (index < 0 || index >= Count()) throw Exception(ListIndexErrorMessage(index));
    DestroyIcon(icons_[static_cast<std::size_t>(index)]);
    icons_.erase(icons_.begin() + index);
    Changed();
}

void TImageList::Clear() {
    if (icons_.empty()) return;
    for (HICON icon : icons_)
        DestroyIcon(icon);
    icons_.clear();
    Changed();
}

void TImageList::Changed() {
    if (OnChange) OnChange(this);
}

}  // namespace qm
