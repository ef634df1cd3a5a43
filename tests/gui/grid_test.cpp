// The time-sheet grid's clipboard commands on a real grid and the real
// clipboard of the (virtual) display, and the text rules behind them.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include "TimeSheetRules.h"
#include "wxEasyGrid.h"

namespace {

void set_clipboard(const wxString& text)
{
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Close();
}

wxString clipboard_text()
{
    wxString text = "<no text>";
    if (wxTheClipboard->Open()) {
        wxTextDataObject data;
        if (wxTheClipboard->IsSupported(data.GetFormat()) && wxTheClipboard->GetData(data))
            text = data.GetText();
        wxTheClipboard->Close();
    }
    return text;
}

// A 3 x 3 grid in a frame of its own.
class GridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_frame = new wxFrame(nullptr, wxID_ANY, "grid");
        m_grid = new wxEasyGrid(m_frame, wxID_ANY);
        m_grid->CreateGrid(3, 3, wxGrid::wxGridSelectCells);
    }
    void TearDown() override { delete m_frame; }

    // Rows of values, "|" between cells: {"a|b|c", ...}.
    void Fill(const std::vector<std::string>& rows)
    {
        for (int r = 0; r < 3; ++r) {
            const wxArrayString cells = wxSplit(rows[static_cast<std::size_t>(r)], '|', 0);
            for (int c = 0; c < 3; ++c)
                m_grid->SetCellValue(r, c, cells[static_cast<std::size_t>(c)]);
        }
    }
    std::vector<std::string> Cells() const
    {
        std::vector<std::string> rows;
        for (int r = 0; r < 3; ++r) {
            wxString row;
            for (int c = 0; c < 3; ++c)
                row += (c ? "|" : "") + m_grid->GetCellValue(r, c);
            rows.push_back(row.ToStdString());
        }
        return rows;
    }
    void Command(int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(m_grid);
        m_grid->GetEventHandler()->ProcessEvent(event);
    }
    // The text "Copy" puts on the clipboard, over a stale text.
    wxString Copy()
    {
        set_clipboard("stale");
        Command(wxID_COPY);
        return clipboard_text();
    }

    wxFrame* m_frame = nullptr;
    wxEasyGrid* m_grid = nullptr;
};

}  // namespace

TEST_F(GridTest, copy_with_nothing_selected_puts_an_empty_text_on_the_clipboard)
{
    Fill({"a|b|c", "d|e|f", "g|h|i"});
    m_grid->ClearSelection();
    EXPECT_EQ("", Copy());
}

TEST_F(GridTest, copy_of_a_block_gives_tab_separated_lines_without_a_last_line_feed)
{
    Fill({"a|b|x", "c|d|x", "x|x|x"});
    m_grid->SelectBlock(0, 0, 1, 1);
    EXPECT_EQ("a\tb\nc\td", Copy());
}

TEST_F(GridTest, copy_of_cells_in_different_rows_and_columns_gives_one_line_each)
{
    Fill({"a|b|c", "d|e|f", "g|h|i"});
    m_grid->SelectBlock(0, 2, 0, 2);
    m_grid->SelectBlock(2, 0, 2, 0, true);
    EXPECT_EQ("c\ng", Copy());
}

TEST_F(GridTest, copy_of_selected_rows_and_columns_takes_their_cells)
{
    Fill({"a|b|c", "d|e|f", "g|h|i"});
    m_grid->SelectRow(1);
    m_grid->SelectCol(2, true);
    EXPECT_EQ("c\nd\te\tf\ni", Copy());
}

TEST_F(GridTest, copy_starting_with_an_empty_cell_has_no_leading_line_feed)
{
    Fill({"a||c", "d|e|f", "g|h|i"});
    m_grid->SelectBlock(0, 1, 0, 1);
    m_grid->SelectBlock(1, 0, 1, 0, true);
    EXPECT_EQ("d", Copy());
    // Within a row the empty field still takes its place.
    m_grid->SelectBlock(0, 1, 0, 2);
    EXPECT_EQ("\tc", Copy());
}

TEST_F(GridTest, paste_sets_cells_from_the_current_cell)
{
    struct Case
    {
        const char* name;
        const char* text;
        int row;
        int col;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {"lines and tabs", "1\t2\n3\t4", 0, 0, {"1|2|.", "3|4|.", ".|.|."}},
        {"CR LF like LF", "1\t2\r\n3\t4\r\n", 0, 0, {"1|2|.", "3|4|.", ".|.|."}},
        {"two tabs in a row", "1\t\t3", 1, 0, {".|.|.", "1||3", ".|.|."}},
        {"trailing tab", "1\t\n2\t", 0, 1, {".|1|.", ".|2|.", ".|.|."}},
        {"empty line", "1\n\n3", 0, 0, {"1|.|.", ".|.|.", "3|.|."}},
        {"trailing blanks go, leading stay", " 1 \t2 \r", 0, 0, {" 1|2|.", ".|.|.", ".|.|."}},
        {"past the last column", "1\t2\t3", 2, 1, {".|.|.", ".|.|.", ".|1|2"}},
        {"past the last row", "1\n2\n3", 2, 2, {".|.|.", ".|.|.", ".|.|1"}},
        {"empty text", "", 0, 0, {".|.|.", ".|.|.", ".|.|."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill({".|.|.", ".|.|.", ".|.|."});
        m_grid->SetGridCursor(c.row, c.col);
        set_clipboard(c.text);
        Command(wxID_PASTE);
        EXPECT_EQ(c.cells, Cells());
    }
}

TEST_F(GridTest, paste_is_offered_only_while_a_cell_editor_could_open)
{
    m_grid->SetGridCursor(1, 1);
    const auto offered = [this](int id) {
        std::unique_ptr<wxMenu> menu(m_grid->CreateContextMenu());
        return menu->IsEnabled(id);
    };
    m_grid->EnableEditing(false);
    EXPECT_TRUE(offered(wxID_COPY));
    EXPECT_FALSE(offered(wxID_PASTE));

    m_grid->EnableEditing(true);
    EXPECT_TRUE(offered(wxID_PASTE));

    m_grid->SetReadOnly(1, 1);
    EXPECT_TRUE(offered(wxID_COPY));
    EXPECT_FALSE(offered(wxID_PASTE));
}

TEST_F(GridTest, delete_all_rows_empties_the_grid_and_keeps_its_columns)
{
    m_grid->DeleteAllRows();
    EXPECT_EQ(0, m_grid->GetNumberRows());
    EXPECT_EQ(3, m_grid->GetNumberCols());
    m_grid->DeleteAllRows();  // nothing to delete: no complaint
    EXPECT_EQ(0, m_grid->GetNumberRows());
}

// The rules alone, where the grid cannot reach: no current cell.
TEST(GridText, paste_without_a_current_cell_sets_nothing)
{
    EXPECT_TRUE(zovtray::paste_cells("1\t2", -1, -1, 3, 3).empty());
    EXPECT_TRUE(zovtray::paste_cells("1\t2", 0, 0, 0, 8).empty());
}
