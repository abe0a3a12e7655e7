// Precompiled headers of the test executables.
#pragma once
#ifdef __cplusplus
#include "pch.h"
#include <QtTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#endif
