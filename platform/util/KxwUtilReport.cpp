#include "KxwUtilReport.h"
