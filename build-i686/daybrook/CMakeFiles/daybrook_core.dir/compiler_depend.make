# Empty compiler generated dependencies file for daybrook_core.
# This may be replaced when dependencies are built.
