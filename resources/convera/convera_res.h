/* Identifiers of Convera's dialogs, controls and icons, shared by the
   resource script and the code. */
#ifndef CONVERA_RES_H
#define CONVERA_RES_H

#define IDD_GETFLOAT 200
#define IDC_GETFLOAT_GROUP 201
#define IDC_GETFLOAT_PROMPT 202
#define IDC_GETFLOAT_LABEL 203
#define IDC_GETFLOAT_VALUE 204
#define IDC_GETFLOAT_UNIT 205
#define IDC_GETFLOAT_LINE 206

#define IDI_CONVERA_OK 1000
#define IDI_CONVERA_CANCEL 1001

#endif
