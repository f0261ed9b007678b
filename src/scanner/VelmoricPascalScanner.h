// The Pascal source model: the token scanner, the character classes and
// enumerations, symbol records and symbol lists.
#pragma once

#include "scanner/VelmoricSaveList.h"
#include "scanner/VelmoricSymbols.h"
#include "scanner/VelmoricToken.h"
#include "scanner/VelmoricPascalSource.h"
