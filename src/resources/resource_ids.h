/* The library's resource numbers, in one place: the resource script includes this file, the
 * code includes it (the wizard page, and the language table in src/codec/languages.cpp), and
 * tools/lang_tables.py reads the IDR_LANG_ lines to number the tables it writes and checks the
 * IDS_ lines against the texts it writes. Plain #define
 * lines only, since the resource compiler and the Python tool read the file as well. The
 * numbers are part of the library's interface: installers and callers know them. */
#ifndef LMPROFINST_RESOURCE_IDS_H
#define LMPROFINST_RESOURCE_IDS_H

/* The profile selection page and its check box bitmaps. */
#define IDD_PROFILE_PAGE 107
#define IDB_CHECK_EMPTY 108
#define IDB_CHECK_TICKED 109

/* Controls of the page. The hidden statics only mark where the page paints its header. */
#define IDC_PAGE_LIST 1000
#define IDC_PAGE_BACK 1002
#define IDC_PAGE_NEXT 1003
#define IDC_PAGE_CANCEL 1004
#define IDC_PAGE_LOGO 1005
#define IDC_PAGE_HEADER_LINE 1007
#define IDC_PAGE_TITLE 1013
#define IDC_PAGE_SUBTITLE 1014

/* Texts the library shows, by their identifier inside every string table (tools/lang_tables.py
 * checks that the tables hold each of them). */
#define IDS_BACK 1007
#define IDS_NEXT 1008
#define IDS_CANCEL 1009
#define IDS_CONFIRM_CANCEL 1015
#define IDS_PROCESSING 1051
#define IDS_COMMON_PROFILES 1062
#define IDS_PAGE_TITLE 3011
#define IDS_PAGE_SUBTITLE 3012
#define IDS_COLUMN_PROFILES 3013
#define IDS_COLUMN_DESCRIPTION 3014

/* Language string tables: resources of type RT_HTML, one per language; the file of table
 * IDR_LANG_<NAME> is lang/<name>.txt. */
#define RT_LANG_TABLE 23
#define IDR_LANG_CHINESE_TRADITIONAL 110
#define IDR_LANG_FRENCH 111
#define IDR_LANG_GERMAN 112
#define IDR_LANG_ITALIAN 113
#define IDR_LANG_JAPANESE 114
#define IDR_LANG_KOREAN 115
#define IDR_LANG_PORTUGUESE 116
#define IDR_LANG_CHINESE_SIMPLIFIED 117
#define IDR_LANG_SPANISH 118
#define IDR_LANG_ENGLISH 119
#define IDR_LANG_RUSSIAN 120
#define IDR_LANG_CZECH 121
#define IDR_LANG_POLISH 122
#define IDR_LANG_DUTCH 123
#define IDR_LANG_DANISH 124
#define IDR_LANG_FINNISH 125
#define IDR_LANG_GREEK 126
#define IDR_LANG_HUNGARIAN 127
#define IDR_LANG_LITHUANIAN 128
#define IDR_LANG_NORWEGIAN 129
#define IDR_LANG_PORTUGUESE_PORTUGAL 130
#define IDR_LANG_SWEDISH 131
#define IDR_LANG_TURKISH 132

#endif
