#pragma once
// The process's one connection and its two shared record sets over Calendar.

#include "store/Connection.h"
#include "store/RecordSet.h"

extern Connection dbConnection;
extern RecordSet rsMonth;
extern RecordSet rsEditor;
