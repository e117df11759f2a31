# The Help folder of the program: the help centre's pages.
