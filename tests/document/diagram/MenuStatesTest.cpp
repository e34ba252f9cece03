// The context menu's item states for every kind of object under it, at the start and paused.
#include "support/DiagramBuilder.h"

#include "document/diagram/MenuStates.h"

#include <gtest/gtest.h>

TEST(MenuStates, EachObjectOffersItsOwnItemsAndAStartedRunOffersOnlyFindAndCopyImage) {
    TDataFile document;
    TDiagramBuilder b(document);
    TVariableInstance* constant = b.Place(ekConstant, "Price", 100, 100);
    TVariableInstance* variable = b.Place(ekVariable, "Sales", 200, 100);
    TVariableInstance* resource = b.Place(ekResource, "Stock", 300, 200);
    auto* flow = static_cast<TFlowInstance*>(b.Place(ekFlow, "Orders", 210, 200));
    b["Stock"].Derived.AddPoint(0, 1);
    TVariableInstance* clone = document.Image().AddElement(400, 300, true, &b["Sales"]);
    TLinkInstance* link = document.Image().AddLink(100, 100, constant, variable, 200, 100);
    document.Image().MeasureContent();
    document.Image().AttachFlowEnds();
    TNoteInstance* note = b.Note("Note", {10, 300, 90, 360});
    ASSERT_NE(flow->Outflow()->To(), nullptr);
    ASSERT_EQ(flow->Inflow()->From(), nullptr);

    // E enabled, H hidden, D disabled but shown, C ticked and enabled, c ticked but disabled.
    // Columns: Delete Disconnect ResetFlowLink Graph Value Derive SetSketch Reverse.
    struct TCase {
        const char* Name;
        const TDrawObject* Hot;
        bool AtStart;
        const char* States;
    } cases[] = {
        {"constant", constant, true, "EHHECDDH"},
        {"variable", variable, true, "EHHCCDDH"},
        {"resource", resource, true, "EHHcCCEH"},
        {"flow", flow, true, "EHHcCEDE"},
        {"clone", clone, true, "EHHCCDDH"},
        {"information link", link, true, "EHHHHHHH"},
        {"pipe attached at both ends", flow->Outflow(), true, "HEHHHHHH"},
        {"pipe with a free end", flow->Inflow(), true, "HHEHHHHH"},
        {"note", note, true, "EHHHHHHH"},
        {"empty space", nullptr, true, "DHHHHHHH"},
        {"resource, paused", resource, false, "DHHHHHHH"},
        {"pipe, paused", flow->Outflow(), false, "DHHHHHHH"},
    };
    const TPopupItem columns[] = {piDelete, piDisconnect, piResetFlowLink,      piGraph,
                                  piValue,  piDerive,     piSetSketchToDerived, piReverseFlow};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPopupContext context;
        context.Hot = c.Hot;
        context.AtStart = c.AtStart;
        context.SelectionEmpty = false;
        context.ClipboardHasStructure = true;
        context.ModelHasVariables = true;
        context.DrawingEmpty = false;
        const TPopupStates states = PopupMenuStates(context);
        std::string seen;
        for (TPopupItem item : columns) {
            const TMenuItemState& s = states[item];
            seen += !s.Visible               ? 'H'
                    : s.Checked && s.Enabled ? 'C'
                    : s.Checked              ? 'c'
                    : s.Enabled              ? 'E'
                                             : 'D';
        }
        EXPECT_EQ(seen, c.States);
        // Changing the model waits for Stop/Reset; finding and copying the picture do not.
        for (TPopupItem item : {piCopy, piCut, piPaste, piClone})
            EXPECT_EQ(states[item].Enabled, c.AtStart) << item;
        EXPECT_TRUE(states[piFind].Enabled);
        EXPECT_TRUE(states[piCopyImage].Enabled);
    }
}
