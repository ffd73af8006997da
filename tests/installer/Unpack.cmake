# cmake -DZIP=<archive> -DDEST=<folder> -P Unpack.cmake: unpacks the archive into an
# emptied folder, as a user unpacks the portable zip.
file(REMOVE_RECURSE ${DEST})
file(ARCHIVE_EXTRACT INPUT ${ZIP} DESTINATION ${DEST})
