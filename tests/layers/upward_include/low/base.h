#pragma once
#include "high/top.h" // points up: the check must fail
