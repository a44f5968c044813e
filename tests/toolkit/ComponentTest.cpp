#include <gtest/gtest.h>

#include "toolkit/Component.h"

namespace {
struct Tracked : TComponent {
    Tracked(TComponent* owner, std::vector<std::string>* log, std::string n) : TComponent(owner), log_(log) {
        SetName(std::move(n));
    }
    ~Tracked() override { log_->push_back(Name()); }
    std::vector<std::string>* log_;
};
}  // namespace

TEST(Component, OwnerKeepsCreationOrderAndFreesLastFirst) {
    std::vector<std::string> freed;
    auto* root = new TComponent();
    new Tracked(root, &freed, "a");
    auto* b = new Tracked(root, &freed, "b");
    new Tracked(b, &freed, "b1");
    new Tracked(root, &freed, "c");
    ASSERT_EQ(root->ComponentCount(), 3);
    EXPECT_EQ(root->Components()[0]->Name(), "a");
    EXPECT_EQ(root->FindComponent("c")->Name(), "c");
    EXPECT_EQ(root->FindComponent("C"), nullptr);
    delete root;
    EXPECT_EQ(freed, (std::vector<std::string>{"c", "b", "b1", "a"}));
}

TEST(Component, ChildFreedAloneLeavesItsOwner) {
    std::vector<std::string> freed;
    TComponent root;
    auto* a = new Tracked(&root, &freed, "a");
    new Tracked(&root, &freed, "b");
    delete a;
    ASSERT_EQ(root.ComponentCount(), 1);
    EXPECT_EQ(root.Components()[0]->Name(), "b");
}
