#pragma once
// The data access layer in one include: connection, command, datasets, data source.
#include "BlobStream.h"
#include "Command.h"
#include "Connection.h"
#include "ConnectionString.h"
#include "DataLinkFile.h"
#include "DataSet.h"
#include "DataSource.h"
#include "DatabaseError.h"
#include "Field.h"
#include "FieldTypes.h"
#include "ProviderTranslation.h"
#include "StoredProc.h"
