#pragma once
#define PROBE_DIALOG 100
#define PROBE_EDIT 101
#define PROBE_LABEL 102
#define PROBE_CHECK 103
