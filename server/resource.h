#pragma once
// Resource identifiers of the module.
#define IDS_PROJNAME 100
#define IDR_QXAPOMAIN 101
#define IDR_QXLFXLIB 102
#define IDR_QXMICLFXLIB 103
#define IDR_QXGFXLIB 104
#define IDR_QXUIEXTLIB 105
