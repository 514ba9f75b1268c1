#include "store/SharedDb.h"

Connection dbConnection;
RecordSet rsMonth;
RecordSet rsEditor;
