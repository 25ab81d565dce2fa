# The product folder that `cmake --install BUILD --prefix FOLDER` lays out:
#
#   FOLDER/                the program folder: the four add-ins, and the join
#                          add-in's dialog files (corvex.dcl, corvex2.dcl), by
#                          which the start-up add-in finds the program folder
#   FOLDER/support/        every default support file, the version file
#                          lwh_gml.ver, the protected-files list and the
#                          marker drawing derivavi.dwg: what each user's local
#                          support folder is copied from
#   FOLDER/bin/cadhost     the stand-in host that loads the add-ins
#
# The program folder's dialog files stay out of support/: a local support
# folder holding them would pass for the program folder.
install(TARGETS Varnel Corvex Plimsor Stelling LIBRARY DESTINATION .)
install(TARGETS cadhost RUNTIME DESTINATION bin)
install(DIRECTORY support/ DESTINATION support PATTERN "corvex*.dcl" EXCLUDE)
install(DIRECTORY support/ DESTINATION . FILES_MATCHING PATTERN "corvex*.dcl")
