// The profile selection page of the driver installer's wizard: the offered profiles with a
// check box each, Back / Next / Cancel; and the import of the ticked profiles under the status
// box.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/conversions.h"
#include "core/holders.h"
#include "core/trace.h"
#include "installer/lmprofinst.h"
#include "resources/resource_ids.h"
#include "ui/lmstbox.h"

namespace {

constexpr int TEXT_CHARS = 260;
constexpr int BUTTON_PADDING = 12;   // dialog units a button's face needs beside its label
constexpr int CHECK_SIZE = 16;
constexpr UINT ROW_TEXT_FORMAT = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS;

// Set while the selection moves with a navigation key, so that the moved selection does not
// tick the row it lands on. One page exists at a time.
bool g_bKeyboardMove = false;

// A rectangle of a page control in the page's client coordinates.
RECT ControlRect(HWND hPage, int nId)
{
    RECT rc = {};
    HWND hCtrl = GetDlgItem(hPage, nId);
    if (hCtrl) {
        GetWindowRect(hCtrl, &rc);
        MapWindowPoints(nullptr, hPage, reinterpret_cast<POINT*>(&rc), 2);
    }
    return rc;
}

// Widens the buttons to their labels: a translation longer than the 50 dialog units the
// template gives ("キャンセル(&C)" in the body font) would be cut off by the button's edge. The
// row keeps its order, its gaps and its right margin; the page keeps at least its own width
// and grows only when the row no longer fits right of the list's left edge.
void FitButtonsToLabels(HWND hPage)
{
    const int ids[] = {IDC_PAGE_BACK, IDC_PAGE_NEXT, IDC_PAGE_CANCEL};
    RECT rcPadding = {0, 0, BUTTON_PADDING, 0};
    MapDialogRect(hPage, &rcPadding);
    RECT rcButtons[3];
    int nWidths[3];
    for (int i = 0; i < 3; ++i) {
        HWND hButton = GetDlgItem(hPage, ids[i]);
        rcButtons[i] = ControlRect(hPage, ids[i]);
        nWidths[i] = rcButtons[i].right - rcButtons[i].left;
        AutoWindowDC dc(hButton);
        if (!dc)
            continue;
        HDC hdc = dc.Get();
        AutoSelect font(hdc, reinterpret_cast<HGDIOBJ>(SendMessageA(hButton, WM_GETFONT, 0, 0)));
        RECT rcText = {};
        // Measured as the button draws it: one line, "&" marking the underlined letter. The
        // page of the wide mode holds wide labels; the ANSI page (Windows 9x, which has no wide
        // text calls) 8-bit ones.
        int nHeight;
        if (IsWindowUnicode(hButton)) {
            wchar_t wszLabel[TEXT_CHARS] = L"";
            GetWindowTextW(hButton, wszLabel, TEXT_CHARS);
            nHeight = DrawTextW(hdc, wszLabel, -1, &rcText, DT_CALCRECT | DT_SINGLELINE);
        } else {
            char szLabel[TEXT_CHARS * 2] = "";
            GetWindowTextA(hButton, szLabel, sizeof(szLabel));
            nHeight = DrawTextA(hdc, szLabel, -1, &rcText, DT_CALCRECT | DT_SINGLELINE);
        }
        if (nHeight)
            nWidths[i] = std::max<int>(nWidths[i], rcText.right - rcText.left + rcPadding.right);
    }
    RECT rcClient;
    GetClientRect(hPage, &rcClient);
    int nMargin = rcClient.right - rcButtons[2].right;
    int nGaps[2] = {rcButtons[1].left - rcButtons[0].right, rcButtons[2].left - rcButtons[1].right};
    int nRow = nWidths[0] + nGaps[0] + nWidths[1] + nGaps[1] + nWidths[2];
    int nGrow = ControlRect(hPage, IDC_PAGE_LIST).left + nRow + nMargin - rcClient.right;
    if (nGrow > 0) {
        RECT rcPage;
        GetWindowRect(hPage, &rcPage);
        SetWindowPos(hPage, nullptr, 0, 0, rcPage.right - rcPage.left + nGrow, rcPage.bottom - rcPage.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        // The two lines across the page (under the header band, above the buttons) go along.
        for (HWND hChild = GetWindow(hPage, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
            RECT rc;
            GetWindowRect(hChild, &rc);
            MapWindowPoints(nullptr, hPage, reinterpret_cast<POINT*>(&rc), 2);
            if (rc.left <= 0 && rc.right >= rcClient.right)
                SetWindowPos(hChild, nullptr, 0, 0, rc.right - rc.left + nGrow, rc.bottom - rc.top,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        rcClient.right += nGrow;
    }
    int nRight = rcClient.right - nMargin;
    for (int i = 2; i >= 0; --i) {
        SetWindowPos(GetDlgItem(hPage, ids[i]), nullptr, nRight - nWidths[i], rcButtons[i].top, nWidths[i],
                     rcButtons[i].bottom - rcButtons[i].top, SWP_NOZORDER | SWP_NOACTIVATE);
        nRight -= nWidths[i] + (i ? nGaps[i - 1] : 0);
    }
}

// The palette of a logo with a colour table (selected into hdcLogo), so that it draws in its
// own colours on a palette display; none for a logo without one. The palette holds as many
// entries as the table has, never a fixed 256 read past it.
HPALETTE CreateLogoPalette(HDC hdcLogo, const BITMAP& bm)
{
    RGBQUAD colours[256];
    UINT nColours = bm.bmBitsPixel <= 8 ? GetDIBColorTable(hdcLogo, 0, 256, colours) : 0;
    if (!nColours)
        return nullptr;
    std::vector<BYTE> buf(sizeof(LOGPALETTE) + nColours * sizeof(PALETTEENTRY));
    LOGPALETTE* pPal = reinterpret_cast<LOGPALETTE*>(buf.data());
    pPal->palVersion = 0x300;
    pPal->palNumEntries = WORD(nColours);
    for (UINT i = 0; i < nColours; ++i)
        pPal->palPalEntry[i] = {colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue, 0};
    return CreatePalette(pPal);
}

// Draws the installer's logo (which stays the installer's: never deleted here) at the right
// edge of its place in the header.
void DrawLogo(HWND hPage, HDC hdc, HBITMAP hLogo, const BITMAP& bm)
{
    RECT rcLogo = ControlRect(hPage, IDC_PAGE_LOGO);
    AutoMemoryDC memory(hdc);
    if (!memory)
        return;
    AutoSelect selected(memory.Get(), hLogo);
    AutoGdiObject<HPALETTE> palette(CreateLogoPalette(memory.Get(), bm));
    AutoSelectPalette selectedPalette(hdc, palette.Get());
    if (selectedPalette)
        RealizePalette(hdc);
    BitBlt(hdc, rcLogo.right - 3 - bm.bmWidth, rcLogo.top, bm.bmWidth, bm.bmHeight, memory.Get(), 0, 0, SRCCOPY);
}

// Whether a key moves the list's focus (nFocus, -1 for none) to another of its nRows rows: a
// flag set by a key that moves nothing would swallow the next click's tick. Only the
// navigation keys move it, and not past the first or last row; with no row focused, each of
// them lands on a row except Up, which finds none above.
bool KeyMovesFocus(WORD wKey, int nFocus, int nRows)
{
    if (nRows <= 0)
        return false;
    switch (wKey) {
    case VK_UP:
        return nFocus > 0;
    case VK_HOME:
    case VK_PRIOR:
        return nFocus != 0;
    case VK_DOWN:
    case VK_END:
    case VK_NEXT:
        return nFocus < nRows - 1;
    default:
        return false;
    }
}

}  // namespace

INT_PTR CALLBACK ProfInstDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LMPROFINST* pPackage = g_pCurrentPackage;
    if (!pPackage)
        return FALSE;
    switch (uMsg) {
    case WM_INITDIALOG:
        return pPackage->OnInit(hDlg);
    case WM_COMMAND:
        pPackage->OnCommand(hDlg, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        pPackage->OnCommand(hDlg, IDC_PAGE_CANCEL);
        return TRUE;
    case WM_NOTIFY:
        return pPackage->OnNotify(hDlg, reinterpret_cast<const NMHDR*>(lParam));
    case WM_DRAWITEM:
        return pPackage->OnDrawItem(hDlg, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM:
        return pPackage->OnMeasureItem(hDlg, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_PAINT:
        return pPackage->OnPaint(hDlg);
    case WM_MOVE:
        return pPackage->OnMove(hDlg);
    case WM_DESTROY:
        return pPackage->OnDestroy(hDlg);
    default:
        return FALSE;
    }
}

int LMPROFINST::RunWizardPage(SETUPDATA* pSetup, size_t cbSetup)
{
    m_setup = setupdata::Block(pSetup, cbSetup);
    if (m_nEntries <= 0 || !m_setup)
        return m_setup ? m_setup.I32(setupdata::OFF_NO_SLOT_RESULT) : 0;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    INT_PTR nResult;
    if (m_bAnsi)
        nResult = DialogBoxParamA(m_hModule, MAKEINTRESOURCEA(IDD_PROFILE_PAGE), m_hParent, ProfInstDlgProc,
                                  reinterpret_cast<LPARAM>(pSetup));
    else
        nResult = DialogBoxParamW(m_hModule, MAKEINTRESOURCEW(IDD_PROFILE_PAGE), m_hParent, ProfInstDlgProc,
                                  reinterpret_cast<LPARAM>(pSetup));
    if (nResult == -1 && !m_hPage)
        TraceLog("LMPROFINST::RunWizardPage - DialogBoxParam - %d\n", GetLastError());
    return int(nResult);
}

BOOL LMPROFINST::OnInit(HWND hPage)
{
    TraceLog("LMPROFINST::OnInit\n");
    g_bKeyboardMove = false;
    char szText[TEXT_CHARS];
    wchar_t wszText[TEXT_CHARS];

    char szTitle[TEXT_CHARS] = "";
    m_setup.CopyText(setupdata::OFF_TITLE, szTitle, sizeof(szTitle));
    if (m_bAnsi) {
        SetWindowTextA(hPage, szTitle);
    } else if (ConvertAnsiToWideCell(wszText, TEXT_CHARS, szTitle, m_uCodePage)) {
        SetWindowTextW(hPage, wszText);
    }

    m_hPage = hPage;
    SetWindowPos(hPage, nullptr, m_setup.I32(setupdata::OFF_LEFT), m_setup.I32(setupdata::OFF_TOP), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);

    m_hList = GetDlgItem(hPage, IDC_PAGE_LIST);
    SendMessageA(m_hList, WM_SETFONT, reinterpret_cast<WPARAM>(m_hBodyFont), FALSE);
    SendMessageA(m_hList, LVM_SETITEMCOUNT, 10, 0);
    const struct { int nText; int cx; } columns[] = {{IDS_COLUMN_PROFILES, 132}, {IDS_COLUMN_DESCRIPTION, 329}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA col = {};
        col.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.fmt = LVCFMT_LEFT;
        col.cx = columns[i].cx;
        col.pszText = m_pLang->GetLangStringA(columns[i].nText, szText, TEXT_CHARS);
        col.iSubItem = i;
        SendMessageA(m_hList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
    }

    const struct { int nId; int nText; } buttons[] = {
        {IDC_PAGE_BACK, IDS_BACK}, {IDC_PAGE_NEXT, IDS_NEXT}, {IDC_PAGE_CANCEL, IDS_CANCEL}};
    for (const auto& button : buttons) {
        HWND hButton = GetDlgItem(hPage, button.nId);
        SendMessageA(hButton, WM_SETFONT, reinterpret_cast<WPARAM>(m_hBodyFont), FALSE);
        if (m_bAnsi)
            SetWindowTextA(hButton, m_pLang->GetLangStringA(button.nText, szText, TEXT_CHARS));
        else if (m_pLang->GetLangStringW(button.nText, wszText, TEXT_CHARS))
            SetWindowTextW(hButton, wszText);
    }
    FitButtonsToLabels(hPage);

    for (int i = 0; i < m_nEntries; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = 9999;
        item.pszText = m_pEntries[i].szDisplayName;
        item.lParam = i;
        int nRow = int(SendMessageA(m_hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (nRow < 0)
            continue;
        LVITEMA sub = {};
        sub.iSubItem = 1;
        sub.pszText = m_pEntries[i].szDescription;
        SendMessageA(m_hList, LVM_SETITEMTEXTA, nRow, reinterpret_cast<LPARAM>(&sub));
    }
    SetFocus(GetDlgItem(hPage, IDC_PAGE_NEXT));
    return FALSE;
}

PROFENTRY* LMPROFINST::EntryOfRow(int nRow) const
{
    if (!m_hList || nRow < 0)
        return nullptr;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nRow;
    if (!SendMessageA(m_hList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    if (item.lParam < 0 || item.lParam >= m_nEntries)
        return nullptr;
    return &m_pEntries[item.lParam];
}

void LMPROFINST::ClearListSelection()
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    SendMessageA(m_hList, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&item));
}

BOOL LMPROFINST::OnCommand(HWND hPage, int nId)
{
    switch (nId) {
    case IDC_PAGE_BACK:
        EndDialog(hPage, -1);
        break;
    case IDC_PAGE_NEXT:
        EndDialog(hPage, 1);
        break;
    case IDC_PAGE_CANCEL: {
        char szTitle[TEXT_CHARS] = "";
        if (m_setup)
            m_setup.CopyText(setupdata::OFF_TITLE, szTitle, sizeof(szTitle));
        int nAnswer;
        if (m_bAnsi) {
            char szText[TEXT_CHARS];
            nAnswer = MessageBoxA(hPage, m_pLang->GetLangStringA(IDS_CONFIRM_CANCEL, szText, TEXT_CHARS), szTitle,
                                  MB_OKCANCEL | MB_ICONQUESTION);
        } else {
            wchar_t wszText[TEXT_CHARS] = L"";
            wchar_t wszTitle[TEXT_CHARS] = L"";
            m_pLang->GetLangStringW(IDS_CONFIRM_CANCEL, wszText, TEXT_CHARS);
            ConvertAnsiToWideCell(wszTitle, TEXT_CHARS, szTitle, m_uCodePage);
            nAnswer = MessageBoxW(hPage, wszText, wszTitle, MB_OKCANCEL | MB_ICONQUESTION);
        }
        if (nAnswer == IDOK)
            EndDialog(hPage, 0);
        break;
    }
    default:
        break;
    }
    return TRUE;
}

BOOL LMPROFINST::OnNotify(HWND hPage, const NMHDR* pHdr)
{
    if (!pHdr || pHdr->idFrom != IDC_PAGE_LIST || pHdr->hwndFrom != m_hList)
        return TRUE;
    switch (pHdr->code) {
    case LVN_KEYDOWN: {
        WORD wKey = reinterpret_cast<const NMLVKEYDOWN*>(pHdr)->wVKey;
        if (wKey == VK_SPACE) {
            // The list selects the focused row after this: with the selection cleared first,
            // that selection flips the row's tick.
            ClearListSelection();
            g_bKeyboardMove = false;
        } else {
            int nFocus = int(SendMessageA(m_hList, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
            int nRows = int(SendMessageA(m_hList, LVM_GETITEMCOUNT, 0, 0));
            if (KeyMovesFocus(wKey, nFocus, nRows))
                g_bKeyboardMove = true;
        }
        return TRUE;
    }
    case LVN_ITEMCHANGED: {
        const NMLISTVIEW* pChange = reinterpret_cast<const NMLISTVIEW*>(pHdr);
        // Only a row that becomes selected counts: the list also reports focus changes of a
        // row that stays selected, and flipping on those would undo the tick just made.
        bool bSelected = (pChange->uChanged & LVIF_STATE) && (pChange->uNewState & LVIS_SELECTED) &&
                         !(pChange->uOldState & LVIS_SELECTED);
        if (g_bKeyboardMove) {
            if (bSelected)
                g_bKeyboardMove = false;
            return TRUE;
        }
        if (!bSelected)
            return TRUE;
        PROFENTRY* pEntry = EntryOfRow(pChange->iItem);
        if (!pEntry)
            return FALSE;
        pEntry->dwSelected ^= 1;
        return TRUE;
    }
    case NM_CLICK:
        // Releasing the button unselects the row again, so the next click on it flips it back.
        ClearListSelection();
        g_bKeyboardMove = false;
        return TRUE;
    default:
        return TRUE;
    }
}

BOOL LMPROFINST::OnMeasureItem(HWND hPage, MEASUREITEMSTRUCT* pMeasure)
{
    if (pMeasure)
        pMeasure->itemHeight = CHECK_SIZE;
    return TRUE;
}

BOOL LMPROFINST::OnDrawItem(HWND hPage, const DRAWITEMSTRUCT* pDraw)
{
    if (!pDraw || pDraw->CtlID != IDC_PAGE_LIST || pDraw->itemID == UINT(-1))
        return FALSE;
    if (pDraw->itemAction != ODA_DRAWENTIRE && pDraw->itemAction != ODA_SELECT && pDraw->itemAction != ODA_FOCUS)
        return TRUE;
    int nRow = int(pDraw->itemID);
    PROFENTRY* pEntry = EntryOfRow(nRow);
    if (!pEntry)
        return FALSE;
    HDC hdc = pDraw->hDC;
    RECT rcRow = pDraw->rcItem;

    COLORREF crOldText = SetTextColor(hdc, (pDraw->itemState & ODS_FOCUS) ? RGB(0, 0, 255)
                                                                          : GetSysColor(COLOR_WINDOWTEXT));
    // The page shows no selection highlight: the row is filled in the window colour, not in
    // the highlight colour the list hands a selected row over with (which would leave the
    // texts in white boxes on a blue bar).
    COLORREF crWindow = GetSysColor(COLOR_WINDOW);
    COLORREF crHanded = SetBkColor(hdc, crWindow);
    AutoGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, crWindow));
    AutoGdiObject<HBRUSH> brush(CreateSolidBrush(crWindow));
    AutoSelect selectedPen(hdc, pen.Get());
    AutoSelect selectedBrush(hdc, brush.Get());

    // The list hands the row over with a small margin, so the first column's right edge is
    // taken from the second column's cell rather than added to the row's left edge.
    RECT rcSecond = {};
    rcSecond.top = 1;
    rcSecond.left = LVIR_BOUNDS;
    int nFirstRight = SendMessageA(m_hList, LVM_GETSUBITEMRECT, nRow, reinterpret_cast<LPARAM>(&rcSecond))
                          ? rcSecond.left
                          : rcRow.left + int(SendMessageA(m_hList, LVM_GETCOLUMNWIDTH, 0, 0));
    Rectangle(hdc, rcRow.left, rcRow.top, nFirstRight, rcRow.bottom);

    {
        AutoGdiObject<HBITMAP> check(LoadBitmapA(
            m_hModule, MAKEINTRESOURCEA((pEntry->dwSelected & 1) ? IDB_CHECK_TICKED : IDB_CHECK_EMPTY)));
        AutoMemoryDC memory(hdc);
        if (check && memory) {
            AutoSelect selected(memory.Get(), check.Get());
            BitBlt(hdc, rcRow.left, rcRow.top, CHECK_SIZE, CHECK_SIZE, memory.Get(), 0, 0, SRCCOPY);
        }
    }

    char szText[TEXT_CHARS] = "";
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = szText;
    item.cchTextMax = TEXT_CHARS;
    SendMessageA(m_hList, LVM_GETITEMTEXTA, nRow, reinterpret_cast<LPARAM>(&item));
    RECT rcName = {rcRow.left + CHECK_SIZE, rcRow.top, nFirstRight, rcRow.bottom};
    DrawTextA(hdc, szText, -1, &rcName, ROW_TEXT_FORMAT);

    szText[0] = '\0';
    item.iSubItem = 1;
    SendMessageA(m_hList, LVM_GETITEMTEXTA, nRow, reinterpret_cast<LPARAM>(&item));
    Rectangle(hdc, nFirstRight, rcRow.top, rcRow.right, rcRow.bottom);
    RECT rcDesc = {nFirstRight + 1, rcRow.top, rcRow.right, rcRow.bottom};
    DrawTextA(hdc, szText, -1, &rcDesc, ROW_TEXT_FORMAT);

    SetTextColor(hdc, crOldText);
    SetBkColor(hdc, crHanded);
    return TRUE;
}

BOOL LMPROFINST::OnPaint(HWND hPage)
{
    AutoPaint paint(hPage);
    if (!paint)
        return TRUE;
    HDC hdc = paint.Get();
    // Whatever the header selects (stock pen and brush, fonts) goes back when the paint ends.
    AutoSavedDC saved(hdc);

    RECT rcPage;
    GetWindowRect(hPage, &rcPage);
    RECT rcLine = ControlRect(hPage, IDC_PAGE_HEADER_LINE);
    SelectObject(hdc, GetStockObject(WHITE_PEN));
    SelectObject(hdc, GetStockObject(WHITE_BRUSH));
    Rectangle(hdc, 0, 0, rcPage.right - rcPage.left, rcLine.top + 2);

    SetBkMode(hdc, TRANSPARENT);
    char szText[TEXT_CHARS];
    RECT rcTitle = ControlRect(hPage, IDC_PAGE_TITLE);
    if (m_hTitleFont)
        SelectObject(hdc, m_hTitleFont);
    DrawTextA(hdc, m_pLang->GetLangStringA(IDS_PAGE_TITLE, szText, TEXT_CHARS), -1, &rcTitle, DT_NOCLIP);
    RECT rcSubtitle = ControlRect(hPage, IDC_PAGE_SUBTITLE);
    if (m_hBodyFont)
        SelectObject(hdc, m_hBodyFont);
    DrawTextA(hdc, m_pLang->GetLangStringA(IDS_PAGE_SUBTITLE, szText, TEXT_CHARS), -1, &rcSubtitle,
              DT_WORDBREAK | DT_NOCLIP);

    HBITMAP hLogo = m_setup ? m_setup.Handle<HBITMAP>(setupdata::OFF_LOGO) : nullptr;
    BITMAP bm;
    if (hLogo && GetObjectA(hLogo, sizeof(bm), &bm))
        DrawLogo(hPage, hdc, hLogo, bm);
    return TRUE;
}

BOOL LMPROFINST::OnMove(HWND hPage)
{
    RECT rc;
    if (m_setup && GetWindowRect(hPage, &rc)) {
        m_setup.PutI32(setupdata::OFF_LEFT, rc.left);
        m_setup.PutI32(setupdata::OFF_TOP, rc.top);
    }
    return TRUE;
}

BOOL LMPROFINST::OnDestroy(HWND hPage)
{
    TraceLog("LMPROFINST::OnDestroy\n");
    m_hPage = nullptr;
    m_hList = nullptr;
    return TRUE;
}

int LMPROFINST::InstallProfiles(SETUPDATA* pSetup, size_t cbSetup)
{
    if (pSetup) {
        m_setup = setupdata::Block(pSetup, cbSetup);
        m_hBodyFont = m_setup.Handle<HFONT>(setupdata::OFF_BODY_FONT);
    }
    char szProcessing[TEXT_CHARS] = "";
    char szCommon[TEXT_CHARS] = "";
    m_pLang->GetLangStringA(IDS_PROCESSING, szProcessing, TEXT_CHARS);
    m_pLang->GetLangStringA(IDS_COMMON_PROFILES, szCommon, TEXT_CHARS);
    char szMessage[2 * TEXT_CHARS];
    _snprintf(szMessage, sizeof(szMessage), "%s %s", szProcessing, szCommon);
    szMessage[sizeof(szMessage) - 1] = '\0';
    LMSTBOX box(m_hParent, szMessage, m_hBodyFont);
    ImportSelected();
    return 1;
}
