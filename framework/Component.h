// The base of everything a form owns: a component has an owner, a name and a tag,
// and destroys the components it owns when it goes. A component can ask to be told
// when another one is destroyed, so that it never keeps a dangling reference.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

class TComponent {
  public:
    enum class Operation { Insert, Remove };

    // Registers with the owner, which then destroys this component with itself.
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }

    // Owned components in the order they were created.
    const std::vector<TComponent*>& Components() const { return components_; }
    TComponent* FindComponent(const std::string& name) const;

    // `other` gets Notification(this, Remove) when this component is destroyed.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // The explicit end of building: a form calls it once all its components exist.
    virtual void Loaded() {}

  protected:
    virtual void Notification(TComponent* component, Operation operation);
    // Destroys the owned components now, last-created first. A form calls it before
    // its window goes, so that its components still find their owner whole.
    void DestroyComponents();

  private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);

    TComponent* owner_;
    std::string name_;
    std::int32_t tag_ = 0;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> notified_;  // told when this one goes, in both directions
};

}  // namespace qm
