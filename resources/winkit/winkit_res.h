/* Identifiers of Winkit's dialogs, controls and icons, shared by the resource
   script and the code. */
#ifndef WINKIT_RES_H
#define WINKIT_RES_H

#define IDD_REENTRY 1
#define IDD_VALUEPROMPT 100

#define IDC_REENTRY_FRAME1 253
#define IDC_REENTRY_ICON 201
#define IDC_REENTRY_PROMPT 888
#define IDC_REENTRY_FRAME2 254
#define IDC_REENTRY_VALUE 11

#define IDC_VALUE_PROMPT 101
#define IDC_VALUE_EDIT 102

#define IDI_WK_OK 1000
#define IDI_WK_CANCEL 1001
#define IDI_WK_HELP 1002
#define IDI_WK_EXCLAMATION 1201

#endif
