# The Media folder of the program: drawn at build time by media-builder.
