# Empty compiler generated dependencies file for cedevice.
# This may be replaced when dependencies are built.
