#include "toolkit/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->InsertComponent(this);
}

TComponent::~TComponent() {
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : components_)
        if (c->name_ == name) return c;
    return nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* last = components_.back();
        // The child's destructor removes it from this list.
        delete last;
    }
}

void TComponent::InsertComponent(TComponent* child) { components_.push_back(child); }

void TComponent::RemoveComponent(TComponent* child) {
    auto it = std::find(components_.begin(), components_.end(), child);
    if (it != components_.end()) components_.erase(it);
    child->owner_ = nullptr;
}
