# A sparse terabyte among the standard type's files: more than the disk holds.
truncate -s 1T "$1/Data/huge.dat"
