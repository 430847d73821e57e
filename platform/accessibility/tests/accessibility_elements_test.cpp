// The element-creating functions: what each element remembers, the arrays
// that hold them and the parents they keep alive.
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "AccessibilityElements.h"

namespace {

wxWindow* const kWindow = reinterpret_cast<wxWindow*>(0x2000);
const WXWidget kView = reinterpret_cast<WXWidget>(0x3000);
const wxRect kRect(5, 6, 70, 80);

struct Expected {
    MacAccRole role;
    int kind;
    std::uint64_t index;
    int secondIndex;
    int position;
    const char* text;
    bool flag;
};

struct Case {
    const char* name;
    std::function<const MacAccElement*(NSMutableArray*)> create;
    Expected expected;
};

}  // namespace

TEST(AccessibilityElements, EachFunctionRecordsWhatItWasMadeWith) {
    const Case cases[] = {
        {"outline with text",
         [](NSMutableArray* a) { return CreateAndAddNSAccesibilityOutLineElement(kWindow, kView, kRect, a, "Jobs", 9, 2, true); },
         {MacAccRole::Outline, 2, 9, 0, 0, "Jobs", true}},
        {"outline",
         [](NSMutableArray* a) { return CreateAndAddNSAccesibilityOutLineElement(kWindow, kView, kRect, a, 1, false); },
         {MacAccRole::Outline, 1, 0, 0, 0, "", false}},
        {"row",
         [](NSMutableArray* a) { return CreateAndAddNSAccesibilityRowElement(kWindow, kView, 11, kRect, a, 2, true); },
         {MacAccRole::Row, 2, 11, 0, 0, "", true}},
        {"row with two indexes",
         [](NSMutableArray* a) { return CreateAndAddNSAccesibilityRowElement(kWindow, kView, 0xfffffffff0ULL, 4, 6, kRect, a, 3, true); },
         {MacAccRole::Row, 3, 0xfffffffff0ULL, 4, 6, "", true}},
        {"column",
         [](NSMutableArray* a) { return CreateAndAddNSAccesibilityColumnElement(kWindow, kView, 3, kRect, "Size", a, 2, false); },
         {MacAccRole::Column, 2, 3, 0, 0, "Size", false}},
        {"button",
         [](NSMutableArray* a) { return CreateAndAddNSAccesibilityButtonElement(kWindow, kView, 2, 7, kRect, "Name", a, 4, true); },
         {MacAccRole::Button, 4, 2, 7, 0, "Name", true}},
        {"group",
         [](NSMutableArray* a) { return CreateAndAddNSAccesibilityGroupElement(kWindow, kView, 0, kRect, a, 3, false); },
         {MacAccRole::Group, 3, 0, 0, 0, "", false}},
        {"text",
         [](NSMutableArray* a) { return CreateAndAddNSAccesibilityTextElement(kWindow, kView, 8, kRect, "Scan", a, 2, -1, false); },
         {MacAccRole::Text, 2, 8, -1, 0, "Scan", false}},
        {"table",
         [](NSMutableArray* a) { return CreateAndAddNSAccesibilityTableElement(kWindow, kView, kRect, a, 1, false); },
         {MacAccRole::Table, 1, 0, 0, 0, "", false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NSMutableArray array;
        CreateAndAddNSAccesibilityTableElement(kWindow, kView, wxRect(), &array, 9, false);
        const MacAccElement* element = c.create(&array);
        ASSERT_NE(element, nullptr);
        ASSERT_EQ(array.GetCount(), 2u);
        EXPECT_EQ(array.GetElement(1), element) << "appended at the end";
        EXPECT_EQ(element->GetRole(), c.expected.role);
        EXPECT_EQ(element->GetWindow(), kWindow);
        EXPECT_EQ(element->GetParent().GetView(), kView);
        EXPECT_EQ(element->GetKind(), c.expected.kind);
        EXPECT_EQ(element->GetIndex(), c.expected.index);
        EXPECT_EQ(element->GetSecondIndex(), c.expected.secondIndex);
        EXPECT_EQ(element->GetPosition(), c.expected.position);
        EXPECT_EQ(element->GetRect(), kRect);
        EXPECT_EQ(element->GetText(), c.expected.text);
        EXPECT_EQ(element->GetFlag(), c.expected.flag);

        EXPECT_EQ(c.create(nullptr), nullptr) << "no array, no element";
    }
}

TEST(AccessibilityElements, ElementKeepsItsParentAfterTheParentsArrayIsGone) {
    NSMutableArray children;
    {
        auto parents = std::make_unique<NSMutableArray>();
        const MacAccElement* outline =
            CreateAndAddNSAccesibilityOutLineElement(kWindow, kView, kRect, parents.get(), "List", 0, 0, false);
        CreateAndAddNSAccesibilityRowElement(kWindow, outline, 1, 0, 1, kRect, &children, 1, true);
    }
    const MacAccElement* row = children.GetElement(0);
    ASSERT_NE(row, nullptr);
    const MacAccElement* outline = row->GetParent().GetElement();
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline->GetText(), "List");
    EXPECT_EQ(outline->GetParent().GetView(), kView);
    EXPECT_EQ(children.GetElement(1), nullptr);
}

TEST(AccessibilityElements, ObjectsCompareByViewOrElement) {
    NSMutableArray array;
    const MacAccElement* first = CreateAndAddNSAccesibilityTableElement(kWindow, kView, kRect, &array, 1, false);
    const MacAccElement* second = CreateAndAddNSAccesibilityTableElement(kWindow, kView, kRect, &array, 1, false);
    EXPECT_TRUE(MacAccObject().IsNull());
    EXPECT_TRUE(MacAccObject(static_cast<WXWidget>(nullptr)).IsNull());
    EXPECT_TRUE(MacAccObject(static_cast<const MacAccElement*>(nullptr)).IsNull());
    EXPECT_EQ(MacAccObject(kView), MacAccObject(kView));
    EXPECT_EQ(MacAccObject(first), MacAccObject(first));
    EXPECT_NE(MacAccObject(first), MacAccObject(second));
    EXPECT_NE(MacAccObject(first), MacAccObject(kView));
    EXPECT_EQ(MacAccObject(first).GetView(), nullptr);
}

TEST(AccessibilityElements, ArrayHoldsViewsAndElementsInOrder) {
    NSMutableArray array;
    array.Append(kView);
    const MacAccElement* table = CreateAndAddNSAccesibilityTableElement(kWindow, kView, kRect, &array, 1, false);
    ASSERT_EQ(array.GetCount(), 2u);
    EXPECT_EQ(array.Item(0).GetView(), kView);
    EXPECT_EQ(array.GetElement(0), nullptr) << "a view is no element";
    EXPECT_EQ(array.GetElement(1), table);
    EXPECT_TRUE(array.Item(2).IsNull());
}
