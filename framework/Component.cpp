#include "framework/Component.h"

#include <algorithm>

namespace qm {

namespace {

void Erase(std::vector<TComponent*>& v, TComponent* c) {
    v.erase(std::remove(v.begin(), v.end(), c), v.end());
}

}  // namespace

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->Insert(this);
}

TComponent::~TComponent() {
    DestroyComponents();
    for (TComponent* other : std::vector<TComponent*>(notified_)) {
        Erase(other->notified_, this);
        other->Notification(this, Operation::Remove);
    }
    if (owner_) owner_->Remove(this);
}

void TComponent::DestroyComponents() {
    // Owned components go last-created first, each telling whoever holds it.
    while (!components_.empty())
        delete components_.back();
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : components_) {
        if (c->name_ == name) return c;
    }
    return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(notified_.begin(), notified_.end(), other) == notified_.end())
        notified_.push_back(other);
    // The link goes both ways, so that whichever goes first unlinks the other.
    if (std::find(other->notified_.begin(), other->notified_.end(), this) ==
        other->notified_.end()) {
        other->notified_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    Erase(notified_, other);
    Erase(other->notified_, this);
}

void TComponent::Notification(TComponent*, Operation) {}

void TComponent::Insert(TComponent* component) {
    components_.push_back(component);
    Notification(component, Operation::Insert);
}

void TComponent::Remove(TComponent* component) {
    Erase(components_, component);
    Notification(component, Operation::Remove);
}

}  // namespace qm
