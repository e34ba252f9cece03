#include "core/persistence/FileItems.h"

#include <gtest/gtest.h>

namespace {

// A small record with a name and a reference to another item of the same list.
class TNode : public TIOListObject {
public:
    void Save(TFileObject& file) override {
        TIOListObject::Save(file);
        file.WriteString(Name);
        Next.Save(file);
    }
    void Load(TFileObject& file) override {
        Name = file.ReadString();
        Next.Load(*LoadList, file);
    }
    std::string Name;
    TIOTypedLink<TNode> Next;
    static inline TIOObjectList* LoadList = nullptr;
    static inline int Alive = 0;
    TNode() { ++Alive; }
    ~TNode() override { --Alive; }
};

using TNodeList = TIOTypedList<TNode>;

TNode* Add(TNodeList& list, const std::string& name) {
    auto* node = new TNode;
    node->Name = name;
    list.AddItem(node);
    return node;
}

std::string Written(TIOObjectList& list) {
    TFileObject file;
    file.OpenForWrite("", "");
    list.Save(file);
    file.EndLine();
    std::string text;
    for (const auto& line : file.Lines)
        text += line + "|";
    return text;
}

} // namespace

TEST(PersistentObjects, ListRecordsStartOnNewLines) {
    TNodeList list;
    TNode* a = Add(list, "a");
    TNode* b = Add(list, "b");
    TNode* c = Add(list, "c");
    a->Next.SetTarget(c);
    c->Next.SetTarget(a);
    (void)b;
    EXPECT_EQ(Written(list), "\t3||\t'a'\t2|\t'b'\t-1|\t'c'\t0|");
}

TEST(PersistentObjects, LinksResolveAfterTheWholeListIsRead) {
    TNodeList source;
    TNode* a = Add(source, "a");
    Add(source, "b");
    TNode* c = Add(source, "c");
    a->Next.SetTarget(c); // a link to an item loaded after the link itself

    TFileObject file;
    file.OpenForWrite("", "");
    source.Save(file);
    file.EndLine();
    file.RewindForRead();

    TNodeList copy;
    TNode::LoadList = &copy;
    Add(copy, "old"); // freed by LoadItems
    copy.LoadItems(file);
    EXPECT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy[0]->Next.GetTarget(), nullptr); // pending until ResolveAll
    EXPECT_EQ(GlobalLinkManager.Count(), 1u);
    GlobalLinkManager.ResolveAll();
    EXPECT_TRUE(GlobalLinkManager.IsEmpty());
    EXPECT_EQ(copy[0]->Next.GetTarget(), copy[2]);
    EXPECT_FALSE(copy[1]->Next.IsAssigned());
    EXPECT_EQ(copy[2]->GetIndex(), 2);
}

TEST(PersistentObjects, ListThatDoesNotOwnItsItemsSavesLinksAsUnset) {
    TNodeList owner;
    TNode* a = Add(owner, "a");
    TIOObjectList view(false);
    TNode loose;
    view.AddItem(&loose);
    EXPECT_EQ(loose.OwnerList, nullptr);
    EXPECT_EQ(loose.GetIndex(), -1);
    a->Next.SetTarget(&loose);
    EXPECT_EQ(Written(owner), "\t1||\t'a'\t-1|");
    view.Clear();
}

TEST(PersistentObjects, IndexPastTheListFailsAndLeavesNothingPending) {
    TNodeList list;
    TNode::LoadList = &list;
    TFileObject file;
    file.OpenForReadText("T\t1\r\n\t2\r\n\t'a'\t5\r\n\t'b'\t0\r\n");
    list.LoadItems(file);
    try {
        GlobalLinkManager.ResolveAll();
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
    EXPECT_TRUE(GlobalLinkManager.IsEmpty());
}

TEST(PersistentObjects, NegativeIndexLeavesTheLinkUnset) {
    TNodeList list;
    TNode::LoadList = &list;
    TFileObject file;
    file.OpenForReadText("T\t1\r\n\t1\r\n\t'a'\t-7\r\n");
    list.LoadItems(file);
    EXPECT_TRUE(GlobalLinkManager.IsEmpty());
    EXPECT_FALSE(list[0]->Next.IsAssigned());
}

TEST(PersistentObjects, HugeCountNeitherReservesNorHangs) {
    TNodeList list;
    TNode::LoadList = &list;
    TFileObject file;
    file.OpenForReadText("T\t1\r\n\t2147483647\r\n\t'a'\t-1\r\n");
    EXPECT_THROW(list.LoadItems(file), EFileEnd);
    list.Clear();
    EXPECT_EQ(TNode::Alive, 0);
    GlobalLinkManager.Clear();
}

TEST(PersistentObjects, FailedLoadForgetsPendingLinksOfFreedObjects) {
    int before = TNode::Alive;
    {
        TNodeList list;
        TNode::LoadList = &list;
        TFileObject file;
        file.OpenForReadText("T\t1\r\n\t3\r\n\t'a'\t1\r\n\t'b'\t0\r\n");
        EXPECT_THROW(list.LoadItems(file), EFileEnd);
    }
    // The list and its links are gone; resolving must not touch them.
    EXPECT_TRUE(GlobalLinkManager.IsEmpty());
    GlobalLinkManager.ResolveAll();
    EXPECT_EQ(TNode::Alive, before);
}

TEST(PersistentObjects, AddingNoneIsRefused) {
    TNodeList list;
    EXPECT_EQ(list.AddItem(static_cast<TIOListObject*>(nullptr)), -1);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.GetItem(0), EListError);
}

TEST(PersistentObjects, IndexFollowsRemovalAndMoves) {
    TNodeList list;
    TNode* a = Add(list, "a");
    TNode* b = Add(list, "b");
    TNode* c = Add(list, "c");
    EXPECT_EQ(c->GetIndex(), 2);
    list.Remove(a);
    EXPECT_EQ(b->GetIndex(), 0);
    EXPECT_EQ(c->GetIndex(), 1);
    list.Move(1, 0);
    EXPECT_EQ(c->GetIndex(), 0);
    TIOListObject* taken = list.Extract(b);
    EXPECT_EQ(taken->GetIndex(), -1);
    delete taken;
}
