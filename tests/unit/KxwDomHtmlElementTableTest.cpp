// What pages cannot see of tables: collections a script holds of a table that was deleted under them (by a
// collection of detached nodes, by a reset of its document), rows and cells kept right when the tree forgets a node
// without the usual notifications, and the hierarchy dump of a table's collections.
#include <gtest/gtest.h>

#include <string>

#include "KxwDomHtmlElementTable.h"
#include "KxwDomHtmlElementTr.h"
#include "KxwDomHtmlTestClasses.h"
#include "KxwRecordingSink.h"
#include "kxw/KxwJswEngine.h"

namespace {

using KxwDomHtmlElementTableTest = KxwDomHtmlTest;

constexpr const char kszPage[] =
    "<table id=t><thead><tr id=h><th>h</th></tr></thead><tbody id=b><tr id=r1><td id=c1>1</td></tr>"
    "<tr id=r2><td>2<table id=n><tr><td>n</td></tr></table></td></tr></tbody></table>";

TEST_F(KxwDomHtmlElementTableTest, CollectionsHeldByAScriptOutliveTheirTableSafely) {
    BuildPage(kszPage);
    EXPECT_EQ("3|3|1|1",
              Eval("var t = document.getElementById('t'), rows = t.rows, cells = t.cells, bodies = t.tBodies,"
                   " rowCells = document.getElementById('r1').cells;"
                   "[rows.length, cells.length, bodies.length, rowCells.length].join('|')"));
    // Out of the page and no longer referenced itself, the table goes with the next collection of detached nodes,
    // and the collections it owned with it: they answer nothing from then on.
    Eval("t.parentNode.removeChild(t); t = null");
    _ptEngine->CollectGarbage();
    _ptEngine->CollectGarbage();
    EXPECT_EQ("undefined|undefined|undefined|undefined",
              Eval("[String(rows.length), String(cells.length), String(bodies.length), String(rowCells.length)]"
                   ".join('|')"));

    // A reset of the document deletes whatever it still keeps; the collections then answer nothing.
    Eval(
        "var t2 = document.createElement('TABLE'); t2.insertRow().insertCell(-1); var rows2 = t2.rows,"
        " cells2 = t2.cells, bodies2 = t2.tBodies; document.body.appendChild(t2)");
    EXPECT_EQ("1|1|1", Eval("[rows2.length, cells2.length, bodies2.length].join('|')"));
    _ptDocument->Reset();
    EXPECT_EQ("undefined|undefined|undefined|undefined",
              Eval("[String(rows2.length), String(cells2.length), String(bodies2.length), String(rows.length)]"
                   ".join('|')"));
}

TEST_F(KxwDomHtmlElementTableTest, ANodeDeletedWhileLinkedLeavesNoItemBehind) {
    BuildPage(kszPage);
    auto* ptTable = static_cast<KxwDomHtmlElementTable*>(ById("t"));
    ASSERT_NE(nullptr, ptTable);
    ASSERT_EQ(3u, ptTable->GetRows()->GetLength());
    ASSERT_EQ(3u, ptTable->GetCells()->GetLength());
    ASSERT_EQ(1u, ptTable->GetTbodies()->GetLength());
    auto* ptRow = static_cast<KxwDomHtmlElementTr*>(ById("r1"));
    ASSERT_EQ(1u, ptRow->GetCells()->GetLength());
    // Not the way the tree lets nodes go, but the ancestors' views must forget the node at once.
    delete ById("c1");
    EXPECT_EQ(0u, ptRow->GetCells()->GetLength());
    EXPECT_EQ(2u, ptTable->GetCells()->GetLength());
    delete ById("b");
    EXPECT_EQ(1u, ptTable->GetRows()->GetLength());
    EXPECT_EQ(0u, ptTable->GetTbodies()->GetLength());
    EXPECT_EQ("1|h|0", Eval("var t = document.getElementById('t'); [t.rows.length, t.rows[0].id, t.tBodies.length]"
                            ".join('|')"));
}

TEST_F(KxwDomHtmlElementTableTest, TheDumpShowsATablesRowsAndCellsOnceTheyWereMade) {
    BuildPage(kszPage);
    auto* ptTable = static_cast<KxwDomHtmlElementTable*>(ById("t"));
    ASSERT_NE(nullptr, ptTable);
    {
        KxwRecordingSink tSink;
        ptTable->PrintMe(0, KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, KXW_DOM_PRINT_MASK_COLLECTIONS);
        EXPECT_FALSE(tSink.Saw("\"rows\" collection: OwnerNode="));
        EXPECT_TRUE(tSink.Saw("rows"));
    }
    ptTable->GetRows();
    KxwRecordingSink tSink;
    ptTable->PrintMe(0, KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, KXW_DOM_PRINT_MASK_COLLECTIONS);
    EXPECT_TRUE(tSink.Saw("\"rows\" collection: OwnerNode="));
    EXPECT_TRUE(tSink.Saw("Length=3"));
    EXPECT_TRUE(tSink.Saw("id=\"r2\""));
    EXPECT_FALSE(tSink.Saw("\"cells\" collection: OwnerNode=")) << "the cells were never asked for";
}

}  // namespace
