#pragma once
// Component base: every toolkit class, window part and control model derives
// from TComponent. An owner frees what it owns (last created first), a
// component knows its name and an integer tag, and the owner keeps its owned
// components in creation order.
#include <string>
#include <vector>

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    // Owned components in creation order (position 0 is the first created).
    const std::vector<TComponent*>& Components() const { return components_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* FindComponent(const std::string& name) const;

    // Frees every owned component, the last created first.
    void DestroyComponents();

private:
    void InsertComponent(TComponent* child);
    void RemoveComponent(TComponent* child);

    TComponent* owner_ = nullptr;
    std::string name_;
    int tag_ = 0;
    std::vector<TComponent*> components_;
};
