// Resource identifiers of frmSplash (range 200-299, kept free elsewhere) and
// the conversion of its design layout into dialog units.
#pragma once

#define IDD_SPLASH 200
#define IDB_LOGO 201

#define IDC_FRAME1 210
#define IDC_LOGO 211
#define IDC_COMPANY 212
#define IDC_COPYRIGHT 213
#define IDC_VERSION 214
#define IDC_PLATFORM 215
#define IDC_COMPANYPRODUCT 216
#define IDC_PRODUCTNAME 217
#define IDC_LABEL1 218
#define IDC_LABEL2 219
#define IDC_SHOWSPLASH 220
// Deliberately not IDOK: the dialog manager turns Enter into IDOK and Esc
// into IDCANCEL, and neither may close this window.
#define IDC_BTNOK 221

// The form is laid out in twips: 15 twips are one pixel at 96 dpi. Dialog
// units depend on the dialog font, MS Sans Serif 8 pt, whose base units at
// 96 dpi are 6 x 13 pixels: one horizontal unit is 6/4 px, one vertical unit
// 13/8 px. Hence
//   x units = twips / 15 * 4 / 6  = twips * 2 / 45
//   y units = twips / 15 * 8 / 13 = twips * 8 / 195
// rounded to the nearest unit. Sizes are taken as the difference of the two
// converted edges, so that rounding never accumulates along a row.
#define VX_DLU_X(tw) (((tw) * 2 + 22) / 45)
#define VX_DLU_Y(tw) (((tw) * 8 + 97) / 195)
#define VX_TWIPS(l, t, w, h) \
  VX_DLU_X(l), VX_DLU_Y(t), VX_DLU_X((l) + (w)) - VX_DLU_X(l), VX_DLU_Y((t) + (h)) - VX_DLU_Y(t)

// Frame1's origin: the controls it groups are placed relative to it.
#define VX_FRAME_X 150
#define VX_FRAME_Y 60
#define VX_IN_FRAME(l, t, w, h) VX_TWIPS(VX_FRAME_X + (l), VX_FRAME_Y + (t), w, h)
