// Native snapshot-monitor and availability calls of the application interface (stdcall,
// NUL-terminated strings). Words the library passes on unread are plain 32-bit words.
#ifndef QX3_NATIVE_MONITOR_H
#define QX3_NATIVE_MONITOR_H

#include "native/platform.h"
#include "qx3agapi_monitor.h"

extern "C" {
// Snapshot monitor. The snapshot calls take either the caller's request or the record a legacy
// call built; both begin with the monitor area.
int32_t QX3_NATIVE qx3GetSnapshot(uint32_t version, void* parm, sqlca* ca);
int32_t QX3_NATIVE qx3GetSnapshotSize(uint32_t version, void* parm, sqlca* ca);
int32_t QX3_NATIVE qx3ResetMonitor(uint32_t version, qx3ResetMonitorStruct* parm, sqlca* ca);
int32_t QX3_NATIVE sqlmon(uint32_t s, uint32_t r, uint32_t q, uint32_t p);
int32_t QX3_NATIVE qx3MonitorSwitches(uint32_t w1, uint32_t w2, uint32_t w3);
int32_t QX3_NATIVE qx3ConvMonStream(uint32_t w1, uint32_t w2, uint32_t w3);

// Availability.
int32_t QX3_NATIVE qx3DatabasePing(uint32_t version, uint32_t parm, sqlca* ca);
int32_t QX3_NATIVE qx3DatabaseQuiesce(uint32_t version, qx3DatabaseQuiesceStruct* parm, sqlca* ca);
int32_t QX3_NATIVE qx3DatabaseUnquiesce(uint32_t version, uint32_t parm, sqlca* ca);
int32_t QX3_NATIVE qx3InstanceQuiesce(uint32_t version, qx3InstanceQuiesceStruct* parm, sqlca* ca);
int32_t QX3_NATIVE qx3InstanceUnquiesce(uint32_t version, qx3InstanceUnquiesceStruct* parm, sqlca* ca);
int32_t QX3_NATIVE sqlerstd_api(char* s3, char* s2, char* s1, sqlca* ca);
int32_t QX3_NATIVE qx3DatabaseRestart(uint32_t version, qx3DatabaseRestartStruct* parm, sqlca* ca);
int32_t QX3_NATIVE qx3HADRStart(uint32_t version, qx3HADRStartStruct* parm, sqlca* ca);
int32_t QX3_NATIVE qx3HADRTakeover(uint32_t version, qx3HADRTakeoverStruct* parm, sqlca* ca);
int32_t QX3_NATIVE qx3HADRStop(uint32_t version, qx3HADRStopStruct* parm, sqlca* ca);
int32_t QX3_NATIVE sqle_activate_db_api(char* s1, char* s2, char* s3, uint32_t reserved, sqlca* ca);
int32_t QX3_NATIVE sqle_deactivate_db_api(char* s1, char* s2, char* s3, uint32_t reserved, sqlca* ca);
}

#endif
