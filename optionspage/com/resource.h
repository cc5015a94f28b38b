// Resource identifiers of Vellox.ocx (shared by Vellox.rc and the code).
#pragma once

#define VX_IDI_TOCONFIG 3101
#define VX_IDI_DELETE 3102
#define VX_IDI_INSERT 3103
#define VX_IDB_TOOLBOX 30000
