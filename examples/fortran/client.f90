! The example client in Fortran: CHARACTER variables passed with their lengths.
program client
  use qx3agapi
  implicit none
  character(len=10) :: buffer = 'SAMPLEXYZ!'
  character(len=8) :: node = 'NODE7'
  character(len=12) :: user = 'OPERATOR'
  character(len=10) :: password = 'S3CRET'
  character(len=13), target :: field
  type(qx3ConfigItem) :: items(1)
  type(sqlca) :: ca
  integer(c_int32_t) :: rc
  integer :: i
  character(len=4), target :: path = 'C:**'
  type(qx3gDbDirOpenScanRec) :: open_rec
  type(qx3DbDirNextEntryRec) :: next_rec
  character(kind=c_char), pointer :: alias(:)
  character(len=8) :: name
  character(len=21), target :: query = 'SELECT * FROM STAFF;;'
  character(len=4), target :: format = 'IXF?'
  character(len=11), target :: messages = 'export.msg!'
  type(sqluMediaEntry220), target :: targets(2), before(2)
  type(sqluMediaList), target :: media
  type(qx3gExportStruct) :: export_rec
  logical :: ok = .true.

  ! The alias is the first six characters of a longer variable, which holds no NUL after them.
  rc = sqlgrdb(6, ca, buffer)
  print '(a,i0,a,i0)', 'sqlgrdb returned ', rc, ', sqlcode ', ca%sqlcode
  print '(3a)', 'buffer afterwards: [', buffer, ']'
  ok = ok .and. rc == 0 .and. buffer == 'SAMPLEXYZ!'

  ! Parameter 105, a string in a 13-character field, comes back blank-padded.
  field = repeat('#', 13)
  items(1) = qx3ConfigItem(105_c_int16_t, 0_c_int16_t, c_loc(field))
  rc = sqlgxdb(6, 1, items, ca, buffer)
  print '(a,i0,3a)', 'sqlgxdb returned ', rc, ', parameter 105: [', field, ']'
  ok = ok .and. rc == 0 .and. index(field, achar(0)) == 0 .and. field(13:13) == ' '

  ! Blank-padded variables, passed with their trimmed lengths.
  rc = sqlgatin(len_trim(node), len_trim(user), len_trim(password), ca, node, user, password)
  print '(a,i0,7a)', 'sqlgatin returned ', rc, ', variables afterwards: [', node, '] [', user, '] [', password, ']'
  ok = ok .and. rc == 0 .and. node == 'NODE7' .and. user == 'OPERATOR' .and. password == 'S3CRET'

  ! The database directory on the path "C:", the first two characters of a four-character variable:
  ! open, one step per entry, close. Each entry's alias is an 8-byte blank-padded field.
  open_rec = qx3gDbDirOpenScanRec(2, c_loc(path), 0_c_int16_t, 0_c_int16_t)
  rc = qx3gDbDirOpenScan(8020000, open_rec, ca)
  print '(3a,i0,a,i0,a)', 'database directory on "', path(1:2), '": open returned ', rc, ', ', open_rec%oValue2, ' entries'
  ok = ok .and. rc == 0
  do i = 1, open_rec%oValue2
    next_rec = qx3DbDirNextEntryRec(open_rec%oValue1, 0_c_int16_t, c_null_ptr)
    rc = qx3gDbDirGetNextEntry(8020000, next_rec, ca)
    if (rc /= 0) then
      ok = .false.
      exit
    end if
    call c_f_pointer(next_rec%poEntry, alias, [8])
    name = transfer(alias, name)
    print '(a,i0,2a)', '  entry ', i, ': alias ', trim(name)
  end do
  rc = qx3gDbDirCloseScan(8020000, qx3DbDirCloseScanRec(open_rec%oValue1), ca)
  print '(a,i0,3a)', 'close returned ', rc, ', path afterwards: [', path, ']'
  ok = ok .and. rc == 0 .and. path == 'C:**'

  ! Export to two files named in a media list of type 'L'; each text is followed by '#', not a NUL.
  do i = 1, 2
    targets(i)%text = '#'
  end do
  targets(1)%iLength = 9
  targets(1)%text(1:9) = transfer('staff.ixf', targets(1)%text(1:9))
  targets(2)%iLength = 10
  targets(2)%text(1:10) = transfer('staff2.ixf', targets(2)%text(1:10))
  before = targets
  media = sqluMediaList('L', [achar(0), achar(0), achar(0)], 2, c_loc(targets))
  export_rec = qx3gExportStruct(c_loc(query), c_loc(media), c_null_ptr, 0, 0, c_loc(format), 0, c_loc(messages), &
      0_c_int16_t, 0_c_int16_t, 0, 19_c_int16_t, 3_c_int16_t, 10_c_int16_t, [(achar(0), i = 1, 6)], &
      c_null_ptr, c_null_ptr)
  rc = qx3gExport(9000000, export_rec, ca)
  print '(a,i0,a,i0)', 'qx3gExport returned ', rc, ', sqlcode ', ca%sqlcode
  ok = ok .and. rc == 0 .and. query == 'SELECT * FROM STAFF;;' .and. format == 'IXF?' .and. messages == 'export.msg!'
  do i = 1, 2
    ok = ok .and. targets(i)%iLength == before(i)%iLength .and. all(targets(i)%text == before(i)%text)
  end do

  if (.not. ok) stop 1
  print '(a)', 'all variables given back as they were'
end program client
