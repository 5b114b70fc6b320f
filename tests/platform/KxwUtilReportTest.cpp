#include <gtest/gtest.h>

#include "KxwUtilReport.h"
