// Identifiers of Day Leaf's resources.
#pragma once

#define IDD_DAY_LEAF_OPTIONS 100
#define IDC_STYLE_LEAF 1001
#define IDC_STYLE_BAND 1002
#define IDC_EXPLANATION 1003
