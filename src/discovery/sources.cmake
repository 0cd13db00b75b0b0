# Sources of src/discovery: core (Qt-free) files go to corvane_core, Qt files to corvane_gui.
