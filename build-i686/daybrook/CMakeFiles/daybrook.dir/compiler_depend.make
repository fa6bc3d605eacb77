# Empty compiler generated dependencies file for daybrook.
# This may be replaced when dependencies are built.
