/* Control ids and places (dialog units) of the reporter's dialog templates; read by the
   resource compiler and by the dialog code, so both always agree. Plain #defines only. */
#pragma once

/* "QL_DIALOG" */
#define QL_ID_OK 2
#define QL_ID_KILL 3
#define QL_ID_DETAILS 4
#define QL_ID_MESSAGE 101
#define QL_ID_TABS 1000
#define QL_ID_LINE 2000
#define QL_ID_SEND 3000
#define QL_ID_SCREENSHOT 4000
#define QL_ID_COPY 5000
#define QL_ID_SUPPORT 6000 /* made at run time when a support address is set */

/* Tab pages */
#define QL_ID_PAGE_TITLE 102
#define QL_ID_PAGE_CONTENT 103

/* "QL_REQUEST" and "QL_SERVER" */
#define QL_ID_REQUEST_PROMPT 100
#define QL_ID_REQUEST_EDIT 101
#define QL_ID_SERVER_TEXT 100
#define QL_ID_SERVER_PROGRESS 101

/* Where the tab pages put their content (the rich edit, list or edit 103). */
#define QL_PAGE_X 4
#define QL_PAGE_Y 14
#define QL_PAGE_W 465
#define QL_RICH_PAGE_H 168
#define QL_LIST_PAGE_H 155
#define QL_RICH_CONTENT_H 150
#define QL_LIST_CONTENT_H 137
