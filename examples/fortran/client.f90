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

  if (.not. ok) stop 1
  print '(a)', 'all variables given back as they were'
end program client
